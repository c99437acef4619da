#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class SaleDetailWindow;
}

namespace quorrel {

class StoredLinesModel;
struct LineEntry;
struct Session;

// The lines of one stored sale. An administrator changes and deletes stored lines (the sale's
// totals follow) and adds lines to the list on screen only, for an export.
class SaleDetailWindow : public QDialog
{
    Q_OBJECT
public:
    // `recordsWindow` owns the message of an empty export, as it does for its own list.
    SaleDetailWindow(Session& session, qint64 saleId, QWidget* recordsWindow, QWidget* parent = nullptr);
    ~SaleDetailWindow() override;

    StoredLinesModel& model() const { return *m_model; }

private:
    void fillLines();
    // The row selected in the list; -1 when none is.
    int selectedRow() const;
    void rowChosen();
    void discountToggled(bool on);
    bool checkEntry();
    LineEntry entry() const;
    void addLine();
    void changeLine();
    void deleteLine();
    void exportLines();

    std::unique_ptr<Ui::SaleDetailWindow> m_ui;
    Session& m_session;
    qint64 m_saleId;
    QWidget* m_recordsWindow;
    StoredLinesModel* m_model;
};

} // namespace quorrel
