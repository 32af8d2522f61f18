// Marks the symbols the alert library exports. Everything else is built with
// hidden visibility.
#ifndef QZKR_EXPORT_H
#define QZKR_EXPORT_H

#if defined(__GNUC__) || defined(__clang__)
#define QZKR_API __attribute__((visibility("default")))
#else
#define QZKR_API
#endif

#endif  // QZKR_EXPORT_H
