#pragma once

#include "core/tables/TableViews.h"
#include "ui/tables/TableWidgets.h"

class QLabel;
class QListWidget;

// frmTableau_Leq: the generation-3 table of ten-minute levels for the chosen period.
class frmTableau_Leq : public TableWindow {
    Q_OBJECT
public:
    explicit frmTableau_Leq(AppContext& context, QWidget* parent = nullptr);

    const LeqTableView& view() const { return m_view; }

protected:
    void printTable() override;

private:
    LeqTableView m_view;
    QLabel* m_serial = nullptr;
    QLabel* m_heading = nullptr;
    QListWidget* m_list = nullptr;
};

QWidget* createFrmTableauLeq(AppContext& context);
