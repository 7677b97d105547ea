#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Entry points that feed one arbitrary input to a reader of outside data. libFuzzer
// drives them (fuzz/FuzzMain.cpp, built with clang by fuzz/run.sh) and the test suite
// replays the small committed corpus through the same functions (tst_FuzzCorpus).
//
// An entry returns 0. A fault it finds either trips a sanitizer or aborts: an entry
// also checks what must hold for any input (for instance that a parsed text form reads
// back the same).
class FuzzTargets {
public:
    using Entry = int (*)(const uint8_t* data, size_t size);
    struct Target {
        const char* name;  // also the folder of its corpus: fuzz/corpus/<name>
        Entry entry;
    };

    // Every target, in the order the fuzz script runs them.
    static const std::vector<Target>& all();
    // The target called name, or nullptr.
    static const Target* find(const char* name);

    // Random reports from the controller: the input is cut into reports (two bytes of
    // length, then that many bytes), which go through the HID provider's drain and the
    // dispatcher's cutting and routing into every delegate our controller kind registers.
    static int receivePath(const uint8_t* data, size_t size);
    // A replay log: the input is the log the replayer plays to its end.
    static int replayLog(const uint8_t* data, size_t size);
    // The device-information text form ("DID" line).
    static int deviceInfoText(const uint8_t* data, size_t size);
    // A firmware update file (*.ovu) as the upload reads it.
    static int updateFile(const uint8_t* data, size_t size);

private:
    // Creates the application object and points the settings at a scratch folder, once.
    static void prepare();
};
