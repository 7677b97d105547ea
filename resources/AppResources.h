#pragma once

// The images, style sheets and fonts compiled into the program. They live in a static
// library, so the program (and every test that shows a window) registers them once with
// initialize() before the first window is built.
class AppResources {
public:
    static void initialize();
};
