#pragma once

#include "core/store/DataStore.h"

#include <array>
#include <cstdint>

// The closable windows, in the order the housekeeping closes them.
enum class WindowId {
    frmPort,
    frmData_Type,
    frmGraphique_Leq,
    frmInTableau,
    frmTableau_Evenements,
    frmTableau_Leq,
    frmWait_Save,
    frmInGraphique,
    frmWait,
    frmTableau_Leq_V5,
    frmParametres_v4,
    frmInGraphique_v5,
    // Added windows come after the twelve of the original program, which keep their order.
    frmStatistiques,
};

inline constexpr std::array<WindowId, 13> kClosableWindows = {
    WindowId::frmPort,           WindowId::frmData_Type,   WindowId::frmGraphique_Leq,
    WindowId::frmInTableau,      WindowId::frmTableau_Evenements, WindowId::frmTableau_Leq,
    WindowId::frmWait_Save,      WindowId::frmInGraphique, WindowId::frmWait,
    WindowId::frmTableau_Leq_V5, WindowId::frmParametres_v4, WindowId::frmInGraphique_v5,
    WindowId::frmStatistiques,
};

const char* windowName(WindowId id);

// The window-open flag the store keeps for the window.
int16_t& openFlag(DataStore& store, WindowId id);
int16_t openFlag(const DataStore& store, WindowId id);

// Unloads one window: the window's own close logic runs and clears its flag.
class WindowCloser {
public:
    virtual ~WindowCloser() = default;
    virtual void unloadWindow(WindowId id) = 0;
};

// Closes every listed window whose open flag is set, in list order. A window the closer does not
// know (not built, already gone) has its flag cleared so it is never asked twice.
void CloseOpenWindows(DataStore& store, WindowCloser& closer);
