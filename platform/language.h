// Language of the run-time layer's own texts: serial and file error texts, file-dialog
// buttons, and the toolkit's standard buttons, dialogs and context menus.
//
// The program sets it at start-up and again whenever its own language changes, so
// that everything the run-time shows speaks the language of the program's texts at
// that moment. Until it is set the run-time speaks English.
#pragma once

enum { RUNTIME_GERMAN = 0, RUNTIME_ENGLISH = 1 };

// 0 German, any other value English (the program's language flag can be passed as it
// is). The front end in use follows at once.
void SetRunTimeLanguage(int language);
int GetRunTimeLanguage(void);

namespace platform {

// The German text when the run-time language is German, else the English one.
inline const char *Pick(const char *english, const char *german)
{
    return GetRunTimeLanguage() == RUNTIME_GERMAN ? german : english;
}

}  // namespace platform
