#include "server/ListenAddress.h"

#include <gtest/gtest.h>

TEST(ListenAddress, AcceptsLoopbackOnlyAndAValidPort) {
    struct Case {
        QString text;
        bool accepted;
        QString host;
        quint16 port;
    };
    const Case cases[] = {
        {"127.0.0.1:8080", true, "127.0.0.1", 8080},
        {"127.1.2.3:1", true, "127.1.2.3", 1},
        {"localhost:65535", true, "127.0.0.1", 65535},
        {"LocalHost:80", true, "127.0.0.1", 80},
        {"[::1]:8443", true, "::1", 8443},
        // Addresses another machine could reach.
        {"0.0.0.0:8080", false, "", 0},
        {"192.168.1.20:8080", false, "", 0},
        {"128.0.0.1:8080", false, "", 0},
        {"[::]:8080", false, "", 0},
        {"[fe80::1%lo]:8080", false, "", 0},
        {"example.org:8080", false, "", 0},
        {":8080", false, "", 0},
        // Ports.
        {"127.0.0.1:0", false, "", 0},
        {"127.0.0.1:65536", false, "", 0},
        {"127.0.0.1:99999999999", false, "", 0},
        {"127.0.0.1:-1", false, "", 0},
        {"127.0.0.1:+80", false, "", 0},
        {"127.0.0.1: 80", false, "", 0},
        {"127.0.0.1:", false, "", 0},
        {"127.0.0.1", false, "", 0},
        // IPv6 without brackets cannot be told from its port.
        {"::1:8080", false, "", 0},
        {"[::1]8080", false, "", 0},
        {"", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const ListenAddressParse parsed = parseListenAddress(c.text);
        EXPECT_EQ(parsed.ok, c.accepted);
        EXPECT_EQ(parsed.error.isEmpty(), c.accepted);
        if (!c.accepted) continue;
        EXPECT_EQ(parsed.address.host, QHostAddress(c.host));
        EXPECT_EQ(parsed.address.port, c.port);
    }
}
