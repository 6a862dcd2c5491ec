#include <gmock/gmock.h>

#include <cstdlib>
#include <ctime>

#include "model/Uglobals.h"

int main(int argc, char** argv) {
    // Run in Wine's system zone (scripts/wine-run, QR_SYSTEM_ZONE), TZ holds that
    // zone in Unix syntax, which the run-time would misread: without TZ it follows
    // the system zone, as the class library's clock does.
    if (std::getenv("QR_SYSTEM_ZONE")) {
        _putenv("TZ=");
        _tzset();
    }
    testing::InitGoogleMock(&argc, argv);
    InitGlobals();
    return RUN_ALL_TESTS();
}
