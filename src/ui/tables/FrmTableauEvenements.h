#pragma once

#include "core/tables/TableViews.h"
#include "ui/tables/TableWidgets.h"

// frmTableau_Evenements: the events of the device's log for the chosen period.
class frmTableau_Evenements : public TableWindow {
    Q_OBJECT
public:
    explicit frmTableau_Evenements(AppContext& context, QWidget* parent = nullptr);

    const EventTableView& view() const { return m_view; }

protected:
    void printTable() override;

private:
    EventTableView m_view;
};

QWidget* createFrmTableauEvenements(AppContext& context);
