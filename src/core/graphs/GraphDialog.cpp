#include "core/graphs/GraphDialog.h"

std::optional<QDate> RememberedGraphStart(const DataStore& store) {
    if (store.Start_Day.isEmpty() && store.Start_Month.isEmpty() && store.Start_Year.isEmpty())
        return std::nullopt;
    const QDate date(store.Start_Year.toInt(), store.Start_Month.toInt(), store.Start_Day.toInt());
    // A text the date picker cannot show leaves it on today.
    if (!date.isValid()) return std::nullopt;
    return date;
}

int RememberedGraphDays(const DataStore& store) {
    const QString& text = store.Graph_Days_Text;
    if (text == QLatin1String("1")) return 1;
    if (text == QLatin1String("3")) return 3;
    if (text == QLatin1String("7")) return 7;
    return 0;
}

std::array<QString, 4> DeviceThresholdTexts(const DataStore& store) {
    return {store.Day_Level_Text, store.Night_Level_Text, store.Day_Night_Hour_Text,
            store.Night_Day_Hour_Text};
}

ThresholdToggle ToggleThresholdBoxes(const QString& caption) {
    ThresholdToggle toggle;
    if (caption == GraphDialogTexts::kChange) {
        toggle.changes = true;
        toggle.caption = GraphDialogTexts::kRestore;
        toggle.boxesEnabled = true;
    } else if (caption == GraphDialogTexts::kRestore) {
        toggle.changes = true;
        toggle.caption = GraphDialogTexts::kChange;
        toggle.refillFromDevice = true;
    }
    return toggle;
}

WindowId GraphDialogWindow(const DataStore& store) {
    return store.Device_Version == 3 ? WindowId::frmInGraphique : WindowId::frmInGraphique_v5;
}
