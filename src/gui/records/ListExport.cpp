#include "gui/records/ListExport.h"

#include "core/records/SpreadsheetExport.h"
#include "core/store/Clock.h"
#include "core/store/DateTexts.h"
#include "gui/widgets/FileDialog.h"
#include "gui/widgets/MessageBox.h"

#include <QDebug>

namespace quorrel {

QString proposedFileName()
{
    return datePrefix(Clock::now().date()) + QStringLiteral("查询结果");
}

void exportList(QWidget* owner, QWidget* recordsWindow, const QStringList& titles, const QList<QStringList>& rows)
{
    if (rows.isEmpty()) {
        MessageBox::show(recordsWindow, QStringLiteral("没有数据可以导出！"), QStringLiteral("提示："));
        return;
    }
    const QString path = FileDialog::saveFileNameAs(owner, QStringLiteral("导出表"), QStringLiteral("*.xls (*.xls)"),
                                                    proposedFileName(), QStringLiteral(".xls"));
    if (path.isEmpty()) {
        MessageBox::show(owner, QStringLiteral("保存失败！"));
        return;
    }
    QString error;
    const bool written = exportToWorkbook(path, titles, rows, &error);
    if (written) {
        MessageBox::information(owner, QStringLiteral("保存成功！\r\n保存在：") + path, QStringLiteral("提示："));
    } else {
        qWarning().noquote() << "export failed:" << error;
        MessageBox::show(owner, QStringLiteral("保存失败！错误代码：01"));
    }
}

} // namespace quorrel
