#pragma once

#include "core/records/RecordsQuery.h"

#include <QDialog>

#include <memory>

namespace Ui {
class SearchWindow;
}

namespace quorrel {

struct Session;

// The conditional search: a date range, a quantity, an amount and a cashier, each taking part only
// when ticked, found all together (精确查找) or any of them (模糊查找). Each 查询 replaces the
// records window's list; the window stays open for further searches.
class SearchWindow : public QDialog
{
    Q_OBJECT
public:
    explicit SearchWindow(Session& session, QWidget* parent = nullptr);
    ~SearchWindow() override;

    SearchCriteria criteria() const;

signals:
    void searchRequested(const quorrel::RecordsQuery& query);

private:
    std::unique_ptr<Ui::SearchWindow> m_ui;
    Session& m_session;
};

} // namespace quorrel
