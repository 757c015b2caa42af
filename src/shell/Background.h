// Background pictures of the windows, chosen by the file's extension.
#pragma once

#include <QImage>
#include <QString>
#include <stdexcept>

class QWidget;

namespace shell {

class PictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/*! Decodes a picture by extension (any letter case): bmp, jpg/jpeg (libjpeg),
    ico; "\" in the path is a separator. Throws PictureError for any other extension, a missing file
   or bad data. */
QImage LoadPicture(const QString& path);

/*! How a background is drawn: opaque, or transparent where a bitmap shows its
    transparent colour (the colour of its bottom-left pixel), so that the
    window's own colour shows there. Other kinds of picture are always opaque. */
enum class BackgroundDrawing { Opaque, Transparent };

/*! Loads the picture into the window's child label "Background", which fills
    the client area stretched, beneath every other control. Throws PictureError. */
void LoadBackground(QWidget* window, const QString& path,
                    BackgroundDrawing drawing = BackgroundDrawing::Opaque);
/*! Throws PictureError when LoadBackground would: a complete plain bitmap
    by its header alone (the windows made later read it), any other picture
    by reading it (kept for them). */
void CheckBackground(const QString& path);

} // namespace shell
