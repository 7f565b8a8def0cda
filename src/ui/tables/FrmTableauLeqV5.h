#pragma once

#include "core/tables/TableViews.h"
#include "ui/tables/TableWidgets.h"

class QLabel;
class QListWidget;

// frmTableau_Leq_V5: the generation-5 tables of Leq10 and Leq1 levels for the chosen period.
class frmTableau_Leq_V5 : public TableWindow {
    Q_OBJECT
public:
    explicit frmTableau_Leq_V5(AppContext& context, QWidget* parent = nullptr);

    const LeqTableV5View& view() const { return m_view; }

protected:
    void printTable() override;

private:
    LeqTableV5View m_view;
};

QWidget* createFrmTableauLeqV5(AppContext& context);
