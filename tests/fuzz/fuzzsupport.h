#pragma once
// What the fuzz harnesses share: the process set-up the modules need, and the check that stops
// a run when a result breaks what its function promises.

#include <QString>
#include <cstddef>
#include <cstdint>

// The entry points libFuzzer calls, and the replay program too. A harness defines
// LLVMFuzzerTestOneInput, and LLVMFuzzerInitialize when it needs set-up (weak: it may be absent).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// A QGuiApplication on the offscreen platform and the module initialisations, in the order
// main() runs them; Qt's own warnings about damaged data are dropped, so the output keeps to
// what the fuzzer reports. Call once, from LLVMFuzzerInitialize.
void StartFuzzApplication();

// For loaders that read files: writes the bytes to the file "input.<extension>" of a folder of
// this process's own in the temporary location (removed when the process ends normally), and
// gives its path. The same path for every input with that extension, so nothing piles up.
QString WriteFuzzInputFile(const uint8_t *data, size_t size, const char *extension);

// Ends the process with a report (which libFuzzer saves as a crash) when a promise is broken.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            FuzzCheckFailed(#condition, __FILE__, __LINE__);                                                 \
    } while (false)

[[noreturn]] void FuzzCheckFailed(const char *condition, const char *file, int line);
