#pragma once

#include <QString>

// The application's text table: ID-based Qt translations compiled from
// Resources/Localization/snapvale_en.ts into the binary.
class Localization {
public:
    Localization() = delete;

    // Resource path of the compiled table.
    static QString tablePath();

    // Loads the table and installs it in the application, once per process
    // (later calls and concurrent first calls share the one load), so that
    // qtTrId() finds it as well. Answers whether the table is loaded.
    static bool install();

    // The text for `key`, or the empty string when the table lacks the key.
    // Installs the table on first use.
    static QString text(const char *key);
    static QString text(const QString &key);
};
