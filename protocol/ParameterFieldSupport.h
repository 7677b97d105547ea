#pragma once

#include <QtGlobal>

#include <functional>

// Whether a field of a parameter block exists on the connected controller. Asks the
// minimum-version table (deviceparamMinVersion) and remembers positive answers, one per
// field, so the table is asked once per field; a negative answer is asked again on the
// next access. Remembered answers hold while the remembered parameter version stays as
// it was when they were given: a controller that reports another version is asked anew,
// so a field accepted under the start value 1 is not kept for a version-0 controller.
class ParameterFieldSupport {
public:
    // set: parameter set of the table (2 current parameters, 3 filter, 4 tracker);
    // offset: the field's byte offset in the received block; mask: its bit, 0 for a
    // whole-byte field.
    using Lookup = std::function<bool(int set, int offset, quint8 mask)>;

    static bool isSupported(int set, int offset, quint8 mask);

    // Replaces the table lookup and forgets every remembered answer; an empty function
    // restores deviceparamMinVersion. Lets tests stand in for an older firmware.
    static void setLookup(Lookup lookup);
};
