#include "core/link/WaitProgress.h"

#include <gtest/gtest.h>

namespace {

TEST(WaitProgress, MaximaAndStartTexts) {
    struct Case {
        int generation, transmission, classement, traitement;
    };
    for (const Case& c : {Case{3, 50, 103, 153}, Case{5, 55, 164, 219}}) {
        const WaitProgress p(c.generation);
        EXPECT_EQ(p.transmissionMax(), c.transmission);
        EXPECT_EQ(p.classementMax(), c.classement);
        EXPECT_EQ(p.traitementMax(), c.traitement);
        EXPECT_EQ(p.traitement(), 0);
        EXPECT_EQ(p.transmissionLabel(), QStringLiteral("Transmission en cours ..."));
        EXPECT_EQ(p.classementLabel(), QStringLiteral("Attente de fin de transmission pour classement..."));
        EXPECT_EQ(p.percentageLabel(), QStringLiteral("Traitement des données effectué à 00 %."));
        EXPECT_FALSE(p.transmissionOk());
    }
}

TEST(WaitProgress, PercentageTextHasTwoDigitsBelowTen) {
    // Generation 3: the treatment maximum is 153, so a tick is about 0.65 %.
    struct Case {
        int ticks;
        const char* text;
    };
    const Case cases[] = {{1, "00"}, {2, "01"}, {14, "09"}, {16, "10"}, {50, "33"}};
    for (const Case& c : cases) {
        WaitProgress p(3);
        for (int i = 0; i < c.ticks; ++i)
            p.tick();
        EXPECT_EQ(p.percentageLabel(),
                  QStringLiteral("Traitement des données effectué à %1 %.").arg(QLatin1String(c.text)))
            << c.ticks;
    }
}

// A whole generation-3 transfer: some reception ticks, the bar set to its maximum minus one, the
// tick that ends the transmission (classification +2), then the decoding and sorting ticks.
TEST(WaitProgress, PhasesOfATransfer) {
    WaitProgress p(3);
    for (int i = 0; i < 33; ++i)
        p.tick();
    EXPECT_EQ(p.transmission(), 33);
    EXPECT_EQ(p.classement(), 0);
    p.setTransmissionNearlyDone();
    p.tick();
    EXPECT_EQ(p.transmission(), 50);
    EXPECT_EQ(p.classement(), 2);
    EXPECT_TRUE(p.transmissionOk());
    EXPECT_EQ(p.transmissionLabel(), QStringLiteral("Transmission effectuée avec succès !!!"));
    EXPECT_EQ(p.classementLabel(), QStringLiteral("Classement des données en cours ..."));
    for (int i = 0; i < 100; ++i)
        p.tick();
    EXPECT_EQ(p.classement(), 102);
    EXPECT_EQ(p.percentage(), 99);
    EXPECT_FALSE(p.classementOk());
    p.tick();
    EXPECT_EQ(p.classement(), 103);
    EXPECT_TRUE(p.classementOk());
    EXPECT_EQ(p.classementLabel(), QStringLiteral("Classement effectué avec succès !!!"));
    EXPECT_EQ(p.percentageLabel(), QStringLiteral("Traitement des données effectué à 100 %."));
    p.tick(); // ticks beyond the maxima change nothing
    EXPECT_EQ(p.traitement(), 153);
}

TEST(WaitProgress, TransmissionBarStopsAtItsMaximumWithoutTheEndTick) {
    WaitProgress p(5);
    for (int i = 0; i < 54; ++i)
        p.tick();
    EXPECT_EQ(p.transmission(), 54);
    EXPECT_EQ(p.classement(), 0);
    p.tick(); // the 55th tick fills the bar and starts the classification
    EXPECT_EQ(p.transmission(), 55);
    EXPECT_EQ(p.classement(), 2);
}

} // namespace
