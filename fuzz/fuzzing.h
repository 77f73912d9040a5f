#pragma once
// What the fuzz targets share: a Qt application on the offscreen platform with a desktop that
// answers every question at once, the input as a file for readers that take a path, and a
// failure that stops the fuzzer when a property does not hold.
#include <QByteArray>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace tarvo::fuzz {

// Once per process; later calls do nothing.
void startApplication();

QByteArray bytes(const uint8_t *data, size_t size);

// Writes the input as `name` into a folder of this process and returns its path.
QString writeInput(const QByteArray &input, const QString &name);

// Splits the input at the first `count - 1` NUL bytes; missing parts are empty.
QList<QByteArray> parts(const QByteArray &input, int count);

// Aborts with `what` and both texts, so that the fuzzer records the input.
[[noreturn]] void propertyFailed(const char *what, const QString &first, const QString &second);

} // namespace tarvo::fuzz
