// Full disks without root: a file-size limit makes writes past it fail.
#pragma once

namespace testcommon {

/*! While it lives, files this process writes cannot grow beyond `bytes`:
    a way to make saves fail even with rights that ignore permissions. */
class FileSizeLimit {
  public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    unsigned long previousSoft_;
    void (*previousHandler_)(int);
};

} // namespace testcommon
