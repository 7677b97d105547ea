#include "StoredWireCounts.h"

namespace {
int g_storedWireCountA = 0;
int g_storedWireCountB = 0;
}  // namespace

int StoredWireCounts::storedWireCountA() {
    return g_storedWireCountA;
}

int StoredWireCounts::storedWireCountB() {
    return g_storedWireCountB;
}

void StoredWireCounts::setStoredWireCountA(int count) {
    g_storedWireCountA = count;
}

void StoredWireCounts::setStoredWireCountB(int count) {
    g_storedWireCountB = count;
}

void StoredWireCounts::reset() {
    g_storedWireCountA = 0;
    g_storedWireCountB = 0;
}
