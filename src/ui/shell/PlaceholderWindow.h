#pragma once

#include "core/store/WindowId.h"

#include <QWidget>

struct AppContext;

// Stands for a window that is not part of the program yet. It keeps its open flag like a real
// window, so that the window housekeeping treats it as any other.
class PlaceholderWindow : public QWidget {
    Q_OBJECT
public:
    PlaceholderWindow(WindowId id, AppContext& context);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    WindowId m_id;
    AppContext& m_context;
};
