#include "gui/widgets/Fonts.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

namespace quorrel {

void installFontSubstitutions()
{
    const QString song = QString::fromLatin1(kSongFace);
    for (const QString& name :
         {QStringLiteral("宋体"), QStringLiteral("新宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun")})
        QFont::insertSubstitution(name, song);
}

void installLookAndLanguage(QApplication& app)
{
    installFontSubstitutions();
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

} // namespace quorrel
