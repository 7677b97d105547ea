#include "protocol/FirmwareInformation.h"

FirmwareInformation& FirmwareInformation::instance() {
    // Deliberately leaked: other singletons may read it during their own destruction.
    static FirmwareInformation* information = new FirmwareInformation();
    return *information;
}
