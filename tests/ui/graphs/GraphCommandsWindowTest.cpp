#include "core/graphs/GraphTestSupport.h"
#include "support/FakeWindowHost.h"
#include "support/PdfPages.h"
#include "support/PdfPrinterSource.h"
#include "ui/graphs/FrmGraphiqueLeq.h"
#include "ui/tables/TablePrinting.h"
#include "ui/widgets/GraphPicture.h"
#include "ui/widgets/Twips.h"

#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace graphtest;

namespace {
template <class T> T* child(QWidget* window, const QString& name) {
    T* found = window->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

// The 9 March 2007 one-day window (generation 5): three Leq10 records in the afternoon, Leq1
// records in the evening and after midnight, so that the Leq1 list has a day separator row.
void fillWindow(DataStore& store) {
    store.Device_Version = 5;
    store.Leq_Records.fill(255);
    store.Event_Records.fill(255);
    store.Param_Change_Records.fill(255);
    store.Param_Block[2191] = 22;
    store.Param_Block[2193] = 6;
    store.Param_Block[2177] = 85;
    store.Param_Block[2181] = 75;
    int row = 1;
    for (int i = 0; i < 3; ++i)
        setLevel(store.Leq_Records, row++, at(9, 3, 2007, 13, 10 * i), 80 + i, 5, 10);
    for (int i = 0; i < 4; ++i)
        setLevel(store.Leq_Records, row++, at(9, 3, 2007, 20, i), 90 + i, 5, 1);
    for (int i = 0; i < 2; ++i)
        setLevel(store.Leq_Records, row++, at(10, 3, 2007, 1, i), 95 + i, 5, 1);
    setWindow(store, 9, 3, 2007, 1);
}

struct GraphCommandsTest : ::testing::Test {
    FakeAppContext app;
    frmGraphique_Leq* window = nullptr;

    void SetUp() override {
        fillWindow(app.store);
        window = new frmGraphique_Leq(app.ctx);
        app.windows.adopt(WindowId::frmGraphique_Leq, window);
    }
    QString suffix(GraphId graph) const { return graph == GraphId::Leq1 ? "1" : "10"; }
    GraphPicture* box(GraphId graph) { return child<GraphPicture>(window, "Graphique_Leq" + suffix(graph)); }
    QPushButton* zoom(GraphId graph) { return child<QPushButton>(window, "Cmd_Zoom_Leq" + suffix(graph)); }
    QPushButton* print(GraphId graph) { return child<QPushButton>(window, "Cmd_Print_Leq" + suffix(graph)); }
    QWidget* widget(const char* name) { return child<QWidget>(window, QString::fromLatin1(name)); }
    QPoint point(GraphId graph, double x, double level) { return box(graph)->toWidget(x, -level).toPoint(); }

    void drag(GraphId graph, double x1, double level1, double x2, double level2) {
        QWidget* b = box(graph);
        QTest::mousePress(b, Qt::LeftButton, {}, point(graph, x1, level1));
        QTest::mouseMove(b, point(graph, x2, level2));
        QTest::mouseRelease(b, Qt::LeftButton, {}, point(graph, x2, level2));
    }
    void clickRow(QListWidget* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
};

// Strong blue just above a record's level: its arrow (the Leq1 limit line is blue too, but at 70 dB).
bool hasArrow(GraphPicture* box, double x, double level) {
    const QImage image = box->picture();
    const qreal ratio = image.devicePixelRatio();
    const QPoint top = (box->toWidget(x, -(level + 5)) * ratio).toPoint();
    const QPoint bottom = (box->toWidget(x, -level) * ratio).toPoint();
    for (int y = top.y(); y <= bottom.y(); ++y)
        for (int dx = -4; dx <= 4; ++dx) {
            const QColor c = image.pixelColor(top.x() + dx, y);
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60) return true;
        }
    return false;
}

} // namespace

TEST_F(GraphCommandsTest, EnlargeThenRestoreEachGraph) {
    struct Case {
        GraphId graph;
        QRect normal;
        const char* caption;
        int captionTop;
        const char* other;
        QString enlargedTip, restoredTip;
    } cases[] = {
        {GraphId::Leq1, twipsRect(30, 5220, 7515, 3975), "Label_Leq1", 9240, "Graphique_Leq10",
         "Retour à la taille normale du graphique Leq 1.", "Agrandir le graphique Leq 1."},
        {GraphId::Leq10, twipsRect(30, 840, 7515, 3975), "Label_Leq10", 4890, "Graphique_Leq1",
         "Retour à la taille normale du graphique Leq10.", "Agrandir le graphique Leq10."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        const QPoint zoomAtLoad = zoom(c.graph)->pos();
        zoom(c.graph)->click();
        EXPECT_EQ(box(c.graph)->geometry(), twipsRect(30, 840, 15060, 8300));
        EXPECT_TRUE(box(c.graph)->canvas().isEnlargedSize());
        EXPECT_EQ(widget(c.caption)->geometry(), twipsRect(30, 9240, 15195, 285));
        for (const char* hidden : {c.other, "List_Leq10", "List_Leq1", "List_Depassement", "Cmd_New_Graph",
                                   "Label_Mini_Leq10", "Label_Analyse"})
            EXPECT_TRUE(widget(hidden)->isHidden()) << hidden;
        EXPECT_FALSE(print(c.graph)->isHidden());
        EXPECT_EQ(zoom(c.graph)->toolTip(), c.enlargedTip);
        // Both buttons stand inside the enlarged box, near its right edge, the print button first.
        EXPECT_LT(print(c.graph)->x(), zoom(c.graph)->x());
        EXPECT_GT(zoom(c.graph)->x(), box(c.graph)->width() * 9 / 10);
        EXPECT_LE(zoom(c.graph)->geometry().right(), box(c.graph)->width());

        zoom(c.graph)->click();
        EXPECT_EQ(box(c.graph)->geometry(), c.normal);
        EXPECT_TRUE(box(c.graph)->canvas().isNormalSize());
        EXPECT_EQ(widget(c.caption)->geometry(), twipsRect(30, c.captionTop, 7485, 285));
        for (const char* shown : {c.other, "List_Leq10", "List_Leq1", "List_Depassement", "Cmd_New_Graph",
                                  "Label_Mini_Leq10", "Label_Mini_Leq1", "Label_Analyse"})
            EXPECT_FALSE(widget(shown)->isHidden()) << shown;
        EXPECT_TRUE(print(c.graph)->isHidden());
        EXPECT_EQ(zoom(c.graph)->toolTip(), c.restoredTip);
        EXPECT_EQ(zoom(c.graph)->pos(), zoomAtLoad);
    }
}

TEST_F(GraphCommandsTest, EmptySeparatorRowErasesTheArrowAndKeepsTheSelection) {
    auto* list = child<QListWidget>(window, "List_Leq1");
    int separator = -1;
    for (int i = 0; i < list->count() && separator < 0; ++i)
        if (list->item(i)->text().isEmpty()) separator = i;
    ASSERT_GT(separator, 0);

    // The first record after midnight is the fifth of the window: 01:00 (x = 25 on one day), 95 dB.
    clickRow(list, separator + 1);
    EXPECT_EQ(app.store.Selected_Leq1_Record, 5);
    EXPECT_TRUE(hasArrow(box(GraphId::Leq1), 25, 95));

    clickRow(list, separator);
    EXPECT_EQ(app.store.Selected_Leq1_Record, 5);
    EXPECT_FALSE(hasArrow(box(GraphId::Leq1), 25, 95));

    zoom(GraphId::Leq1)->click();
    EXPECT_TRUE(hasArrow(box(GraphId::Leq1), 25, 95));
}

TEST_F(GraphCommandsTest, DragZoomsWithOverlaysAndTheZoomButtonLeavesIt) {
    const GraphId g = GraphId::Leq1;
    GraphPicture* b = box(g);
    // On the normal box a drag selects nothing.
    drag(g, 16, 100, 22, 70);
    EXPECT_EQ(app.store.Mouse_Zoom_Active, kFalse);

    zoom(g)->click();
    const QImage before = b->picture().copy();
    QTest::mousePress(b, Qt::LeftButton, {}, point(g, 16, 100));
    QTest::mouseMove(b, point(g, 22, 70));
    // The rubber band stands over the picture and never enters it.
    EXPECT_EQ(b->overlay(OverlayStyle::RubberBand).size(), 4u);
    EXPECT_EQ(b->picture(), before);
    QTest::mouseRelease(b, Qt::LeftButton, {}, point(g, 22, 70));

    EXPECT_EQ(app.store.Mouse_Zoom_Active, kTrue);
    EXPECT_NEAR(b->canvas().scaleLeft(), 16, 0.11);
    EXPECT_NEAR(b->canvas().scaleWidth(), 6, 0.21);
    EXPECT_NEAR(b->canvas().scaleTop(), -100, 0.11);
    EXPECT_TRUE(b->overlay(OverlayStyle::RubberBand).empty());
    EXPECT_FALSE(b->overlay(OverlayStyle::ZoomGrid).empty());
    EXPECT_TRUE(print(g)->isHidden());
    EXPECT_EQ(zoom(g)->toolTip(), QStringLiteral("Retour au Zoom Normal."));

    // A second drag zooms inside the first.
    drag(g, 17, 95, 19, 80);
    EXPECT_NEAR(b->canvas().scaleLeft(), 17, 0.11);
    EXPECT_NEAR(b->canvas().scaleWidth(), 2, 0.21);

    zoom(g)->click();
    EXPECT_EQ(app.store.Mouse_Zoom_Active, kFalse);
    EXPECT_TRUE(b->canvas().isEnlargedSize());
    EXPECT_TRUE(b->overlay(OverlayStyle::ZoomGrid).empty());
    EXPECT_FALSE(print(g)->isHidden());
    EXPECT_EQ(zoom(g)->toolTip(), QStringLiteral("Retour à la taille normale du graphique Leq 1."));
}

TEST_F(GraphCommandsTest, RefusedDragsLeaveTheGraphAsItWas) {
    const GraphId g = GraphId::Leq10;
    zoom(g)->click();
    const double left = box(g)->canvas().scaleLeft();
    struct Drag {
        double x1, level1, x2, level2;
    } drags[] = {{16, 90, 22, 90}, {20, 90, 19.6, 70}, {16, 90, 22, 87}};
    for (const Drag& d : drags) {
        drag(g, d.x1, d.level1, d.x2, d.level2);
        EXPECT_EQ(app.store.Mouse_Zoom_Active, kFalse);
        EXPECT_DOUBLE_EQ(box(g)->canvas().scaleLeft(), left);
        EXPECT_TRUE(box(g)->overlay(OverlayStyle::RubberBand).empty());
        EXPECT_TRUE(box(g)->overlay(OverlayStyle::ZoomGrid).empty());
        EXPECT_FALSE(print(g)->isHidden());
        EXPECT_EQ(zoom(g)->toolTip(), QStringLiteral("Retour au Zoom Normal."));
    }
}

TEST_F(GraphCommandsTest, PrintingPutsTheScreenBackOnEveryWayOut) {
    QTemporaryDir dir;
    PdfPrinterSource printer;
    setPrinterSource(&printer);
    struct Case {
        const char* name;
        QString path;
        bool cancel;
        int pages; // -1: no file
        bool message;
    } cases[] = {
        {"printed", dir.filePath("page.pdf"), false, 1, false},
        {"cancelled", dir.filePath("never.pdf"), true, -1, false},
        {"failed", dir.filePath("missing/folder/page.pdf"), false, -1, true},
    };
    const GraphId g = GraphId::Leq10;
    zoom(g)->click();
    const QRect boxAt = box(g)->geometry();
    const QRect headerAt = widget("Label_Entete")->geometry();
    const QRect captionAt = widget("Label_Leq10")->geometry();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        printer.path = c.path;
        printer.cancel = c.cancel;
        app.ui.messages.clear();
        print(g)->click();
        EXPECT_EQ(printer.requestedOrientation, QPageLayout::Landscape) << "the graph is wider than high";
        EXPECT_EQ(pdfPages(c.path), c.pages);
        ASSERT_EQ(app.ui.messages.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(app.ui.messages[0].title, QStringLiteral("Impression"));
            EXPECT_EQ(app.ui.messages[0].text, QStringLiteral("L'impression du graphique a échoué."));
        }
        EXPECT_EQ(box(g)->geometry(), boxAt);
        EXPECT_EQ(widget("Label_Entete")->geometry(), headerAt);
        EXPECT_EQ(widget("Label_Leq10")->geometry(), captionAt);
        EXPECT_FALSE(print(g)->isHidden());
        EXPECT_FALSE(zoom(g)->isHidden());
        EXPECT_EQ(window->palette().color(QPalette::Window), QColor(197, 207, 237));
        EXPECT_EQ(widget("Label_Date")->palette().color(QPalette::Window), QColor(197, 207, 237));
        EXPECT_TRUE(app.shell.isMainEnabled());
        EXPECT_TRUE(box(g)->canvas().isEnlargedSize());
    }
    setPrinterSource(nullptr);
}

TEST_F(GraphCommandsTest, HoverShowsTheRecordUnderTheMouse) {
    // Each record covers the ten minutes before its time: 13:00 holds 80 dB, 13:10 holds 81 dB.
    struct Case {
        bool enlarged;
        double x;
        QString level;
    } cases[] = {{false, 12.95, "Leq 10 = 80 dB."}, {true, 13.1, "Leq 10 = 81 dB."}};
    GraphPicture* b = box(GraphId::Leq10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enlarged);
        if (c.enlarged) zoom(GraphId::Leq10)->click();
        QHelpEvent rest(QEvent::ToolTip, point(GraphId::Leq10, c.x, 80), b->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(b, &rest);
        EXPECT_TRUE(QToolTip::isVisible());
        EXPECT_TRUE(QToolTip::text().contains(c.level)) << QToolTip::text().toStdString();
    }
    QToolTip::hideText();
    // Nothing in a gap between records; the Leq1 graph has its own records.
    EXPECT_FALSE(window->hoverTextAt(GraphId::Leq10, 18));
    EXPECT_TRUE(
        window->hoverTextAt(GraphId::Leq1, 20.02).value_or(QString()).contains(QStringLiteral("Leq 1 =")));
}
