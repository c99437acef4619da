#include "gui/receipt/LogoWindow.h"

#include "ui_LogoWindow.h"

#include "core/receipt/LogoImage.h"
#include "core/shop/ShopSettings.h"
#include "gui/receipt/ReceiptPrinting.h"
#include "gui/widgets/FileDialog.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>
#include <QFile>
#include <QPixmap>

namespace quorrel {

namespace {

const QString kFlagFailed = QStringLiteral("数据修改失败");
const QString kStoreFailed = QStringLiteral("数据添加失败！");
const QString kStored = QStringLiteral("数据添加成功！");

// The whole file; nullopt when it cannot be read.
std::optional<QByteArray> readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "logo file not readable:" << path << file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qWarning().noquote() << "logo file not read whole:" << path << file.errorString();
        return std::nullopt;
    }
    return bytes;
}

} // namespace

LogoWindow::LogoWindow(ShopSettings& settings, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LogoWindow>()), m_settings(settings)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->选择框1, &QCheckBox::clicked, this, &LogoWindow::printLogoClicked);
    connect(m_ui->按钮_更改logo, &QPushButton::clicked, this, &LogoWindow::changeLogoClicked);
    connect(m_ui->按钮_保存, &QPushButton::clicked, this, &LogoWindow::saveOffsetClicked);
    connect(m_ui->按钮2, &QPushButton::clicked, this, &QDialog::reject);

    loadLogoIntoPicture();
    loadOffsetIntoBox();
    loadPrintFlag();
}

LogoWindow::~LogoWindow() = default;

void LogoWindow::loadLogoIntoPicture()
{
    const Result<QByteArray> logo = m_settings.logoImage();
    if (!logo) {
        reportLogoReadFailed(this, logo.error());
        return;
    }
    showLogo(*logo);
}

void LogoWindow::loadOffsetIntoBox()
{
    // The number as stored, so a value out of the printable range can be seen and corrected.
    const Result<int> offset = m_settings.storedLogoOffset();
    if (!offset) {
        reportLogoReadFailed(this, offset.error());
        return;
    }
    m_ui->编辑框1->setText(QString::number(*offset));
}

void LogoWindow::loadPrintFlag()
{
    const Result<bool> flag = m_settings.printLogo();
    if (!flag)
        reportLogoReadFailed(this, flag.error());
    m_ui->选择框1->setChecked(flag.value_or(false));
}

void LogoWindow::showLogo(const QByteArray& bytes)
{
    m_logo = bytes;
    m_logoKnown = true;
    const QImage image = decodeLogo(bytes);
    if (image.isNull()) {
        m_ui->图片框1->clear();
        return;
    }
    // Stretched to fill the box; the proportions are not kept.
    m_ui->图片框1->setPixmap(
        QPixmap::fromImage(image.scaled(m_ui->图片框1->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void LogoWindow::printLogoClicked(bool checked)
{
    // On failure the box stays as the user set it; receipts keep following the stored flag.
    if (const Done stored = m_settings.setPrintLogo(checked); !stored)
        MessageBox::failed(this, kFlagFailed, stored.error());
}

void LogoWindow::changeLogoClicked()
{
    const QString path = FileDialog::openFileName(this, QString(), QStringLiteral("所有文件 (*)"));
    if (!path.isEmpty()) {
        // A file that cannot be read must not replace the stored logo with nothing.
        const std::optional<QByteArray> bytes = readWholeFile(path);
        if (!bytes) {
            MessageBox::critical(this, QStringLiteral("无法读取所选的文件，logo未更改！"));
            return;
        }
        showLogo(*bytes);
    } else if (!m_logoKnown)
        return; // the stored logo was never read: storing "it" again would wipe it out
    if (const Done stored = m_settings.setLogoImage(m_logo); !stored) {
        qWarning().noquote() << "logo not stored:" << stored.error();
        MessageBox::critical(this, kStoreFailed);
        return;
    }
    MessageBox::information(this, kStored);
}

void LogoWindow::saveOffsetClicked()
{
    if (const Done stored = m_settings.setLogoOffset(m_ui->编辑框1->text()); !stored) {
        qWarning().noquote() << "logo offset not stored:" << stored.error();
        MessageBox::critical(this, kStoreFailed);
        return;
    }
    loadOffsetIntoBox();
}

} // namespace quorrel
