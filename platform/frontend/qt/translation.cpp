// Qt's own texts (standard buttons, the file dialog, context menus) in the run-time
// language: Qt's German catalogue is installed for German, none for English (Qt's
// source texts), and the default locale follows, so dates and sizes read alike.
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/language.h"
#include "platform/frontend/qt/qt_internal.h"

namespace platform::qt {
namespace {

QTranslator *installed = nullptr;

}  // namespace

bool ApplyQtLanguage(int language)
{
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    const bool german = language == RUNTIME_GERMAN;
    QLocale::setDefault(german ? QLocale(QLocale::German, QLocale::Germany)
                               : QLocale(QLocale::English, QLocale::UnitedStates));
    if (!german) return true;
    auto translator = new QTranslator;
    if (!translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;  // without the catalogue Qt's texts stay English
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

void QtFrontEnd::LanguageChanged(int language) { ApplyQtLanguage(language); }

}  // namespace platform::qt
