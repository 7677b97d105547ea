#pragma once

// Version texts of this software.
namespace AppVersion {
// What --version prints and the settings store is keyed by.
constexpr const char* kApplicationVersion = "1.0";
// The release shown on the version button and the information page.
constexpr const char* kSoftwareVersion = "2.2.0.1008";
}  // namespace AppVersion
