#pragma once

// The wire counts of arrays A and B as the controller first reported them in its output
// diagnostics (process-wide, 0 until then). The broken-wire check and the split-type
// check read them; the main window resets both to 0.
class StoredWireCounts {
public:
    static int storedWireCountA();
    static int storedWireCountB();
    static void setStoredWireCountA(int count);
    static void setStoredWireCountB(int count);
    // Both counts back to 0, so the next diagnostics report of each array stores anew.
    static void reset();
};
