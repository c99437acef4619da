#include "gui/widgets/Fonts.h"

#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

#include <clocale>
#include <optional>

namespace quorrel {

namespace {

// LC_ALL as the program found it (nullopt: unset), while the Chinese one stands in for it.
std::optional<QByteArray> g_userLcAll;
bool g_lcAllReplaced = false;

void restoreUserLocaleEnvironment()
{
    if (!g_lcAllReplaced)
        return;
    // The system locale is read once, when first needed: read it now, while the environment names
    // the Chinese one.
    (void)QLocale::system().name();
    if (g_userLcAll)
        qputenv("LC_ALL", *g_userLcAll);
    else
        qunsetenv("LC_ALL");
    g_lcAllReplaced = false;
    // QApplication set the C library's locale from the Chinese environment, which this computer may
    // not have installed; the user's own serves it better.
    if (!std::setlocale(LC_ALL, ""))
        qWarning() << "the C library does not know the locale the environment names";
}

} // namespace

void installFontSubstitutions()
{
    const QString song = QString::fromLatin1(kSongFace);
    for (const QString& name :
         {QStringLiteral("宋体"), QStringLiteral("新宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun")})
        QFont::insertSubstitution(name, song);
}

void preferChineseSystemLocale()
{
    if (!g_lcAllReplaced)
        g_userLcAll = qEnvironmentVariableIsSet("LC_ALL") ? std::optional(qgetenv("LC_ALL")) : std::nullopt;
    qputenv("LC_ALL", "zh_CN.UTF-8");
    g_lcAllReplaced = true;
}

void installLookAndLanguage(QApplication& app)
{
    restoreUserLocaleEnvironment();
    installFontSubstitutions();
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    auto* translator = new QTranslator(&app);
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), translations)) {
        QApplication::installTranslator(translator);
    } else {
        qWarning().noquote() << "Qt's Chinese texts (qtbase_zh_CN) are not in" << translations;
        delete translator;
    }
    // The desktop's own dialogs would speak the environment's language; Qt's speak the one above.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(kWindowPixelSize);
    QApplication::setFont(font);
}

} // namespace quorrel
