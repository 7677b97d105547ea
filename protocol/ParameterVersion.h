#pragma once

#include <QtGlobal>

// The parameter-layout version of the connected controller, remembered for the whole
// process. It is 1 until the first current-parameters answer replaces it with the
// version byte that answer carries. The minimum-version table compares fields against
// it, and writers of the parameter blocks stamp it into the block they send.
class ParameterVersion {
public:
    static constexpr quint8 kStartValue = 1;

    // The remembered version, 0..255.
    static quint8 remembered();
    // Replaces the remembered version (the delegate does this once, with the first answer).
    static void remember(quint8 version);

private:
    static quint8 s_version;
};
