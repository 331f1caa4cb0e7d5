// Start-up on Qt: the application, its Japanese texts and fonts, then the application object.
#include "framework/afx_win_main.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <cstdlib>

#include "framework/qt/qt_text.h"
#include "framework/scoped_value.h"
#include "framework/win_app.h"

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

// The application's name: the executable file's name without its extension.
std::string ExecutableName() {
    return afx_qt::FromQString(
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

}  // namespace

int AfxWinMain(int& argc, char** argv, const CResourceModule& resources) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return EXIT_FAILURE;
    }
    QApplication qtApp(argc, argv);
    if (!app->m_strDesktopFileName.empty()) {
        QGuiApplication::setDesktopFileName(afx_qt::ToQString(app->m_strDesktopFileName));
    }
    if (app->m_strAppName.empty()) {
        app->m_strAppName = ExecutableName();
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

    // Nothing looks the resources up once the entry has returned.
    const ScopedValue resourceScope(app->m_pResources, &resources);
    if (!app->InitInstance()) {
        return app->ExitInstance();
    }
    return app->Run();
}
