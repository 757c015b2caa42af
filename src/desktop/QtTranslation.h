// Qt's own texts (edit menus, file dialogs, scroll bar menus) in the
// programs' language.
#pragma once

class QTranslator;

namespace desktop {

/*! Loads Qt's Russian translation from Qt's translations folder and installs
    it on the application, whatever the system locale. Returns the installed
    translator (owned by the application; deleting it uninstalls it), or
    nullptr when the translation is missing, in which case Qt speaks English.
    The message boxes set their captions and buttons themselves, so the
    translation never changes them. */
QTranslator* InstallQtTranslation();

} // namespace desktop
