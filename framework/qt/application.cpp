// Start-up on Qt: the application with its Japanese texts and fonts, and its event loop.
#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QStringList>
#include <QTranslator>

#include "framework/backend.h"
#include "framework/qt/qt_text.h"

namespace {

// Japanese faces that dialog templates name, and the installed Japanese faces that stand in for
// them: proportional Gothic faces for the proportional ones, fixed-width for the others. IPA P
// Gothic comes first: its base units at 9 points (7 x 13 pixels) come near those of the
// templates' face (6 x 12), and its proportional kana still fit the labels. Noto Sans CJK, whose
// tall lines stretch a dialog by 40 %, is the fallback.
void SubstituteJapaneseFonts() {
    const QStringList proportional{"IPAPGothic", "IPAexGothic", "VL PGothic", "Noto Sans CJK JP",
                                   "Source Han Sans JP"};
    const QStringList fixedWidth{"IPAGothic", "VL Gothic", "Noto Sans Mono CJK JP"};
    for (const char* face : {"ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic"}) {
        QFont::insertSubstitutions(QString::fromUtf8(face), proportional);
    }
    for (const char* face : {"ＭＳ ゴシック", "MS Gothic"}) {
        QFont::insertSubstitutions(QString::fromUtf8(face), fixedWidth);
    }
}

// The program keeps nothing between runs, and a trail of visited folders is the last thing a
// user of a scrambling tool wants: Qt's file chooser saves its history and last folder through
// QSettings, so its settings are pointed where no file can ever be made.
void KeepNoSettings() {
    const QString nowhere = QStringLiteral("/dev/null/no-settings");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, nowhere);
        QSettings::setPath(format, QSettings::SystemScope, nowhere);
    }
}

}  // namespace

namespace afx_backend {

int RunApplication(int& argc, char** argv, const ApplicationOptions& options,
                   const std::function<int()>& body) {
    KeepNoSettings();
    QApplication qtApp(argc, argv);
    if (!options.desktopFileName.empty()) {
        QGuiApplication::setDesktopFileName(afx_qt::ToQString(options.desktopFileName));
    }

    // The user interface is Japanese whatever the session's locale: Qt's own buttons and file
    // chooser too.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTexts);
    }
    SubstituteJapaneseFonts();

    return body();
}

std::string ExecutableName() {
    return afx_qt::FromQString(
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

void RunEventLoop() {
    QApplication::exec();
}

}  // namespace afx_backend
