#pragma once

#include "core/stats/StatsReport.h"
#include "ui/tables/TableWidgets.h"

// frmStatistiques: the level statistics of the chosen period, day by day, in the style of the table
// windows (Cmd_New_Tableau goes back to the period dialog, Cmd_Print prints the lines).
class frmStatistiques : public TableWindow {
    Q_OBJECT
public:
    explicit frmStatistiques(AppContext& context, QWidget* parent = nullptr);

    const StatsView& view() const { return m_view; }

protected:
    void printTable() override;

private:
    StatsView m_view;
};

QWidget* createFrmStatistiques(AppContext& context);
