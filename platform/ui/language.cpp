// The run-time language: kept here, passed on to the front end in use.
#include "platform/language.h"

#include "platform/frontend.h"

namespace {

int language = RUNTIME_ENGLISH;

}  // namespace

void SetRunTimeLanguage(int chosen)
{
    language = chosen == RUNTIME_GERMAN ? RUNTIME_GERMAN : RUNTIME_ENGLISH;
    platform::CurrentFrontEnd().LanguageChanged(language);
}

int GetRunTimeLanguage(void) { return language; }
