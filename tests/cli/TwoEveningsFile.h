#pragma once

#include "CliRun.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Two generated evenings of a generation-5 device starting on 2 March 2009 (no clock change), written
// by vorl-cli generate into a folder that goes with the test.
class TwoEveningsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("bar.qlv"));
        ASSERT_EQ(runVorlCli({"generate", "--generation", "5", "--start", "02/03/2009", "--days", "2",
                              "--out", file})
                      .status,
                  0);
    }
    QTemporaryDir dir;
    QString file;
};
