#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

// Who the program is (product name, version, build date, window title), the
// update state announced by the update checker, the installed iTunes version
// that the air-traffic sync identifies itself with, and the switch that
// decides whether devices attached over Wi-Fi are accepted.
//
// The update state lives in the settings file "NVXSoftware-Info.plist" of the
// application support folder, an XML property list with a dictionary root,
// seeded from the resources on first access. The file is read once, at
// creation: "ProductName" (string) replaces the product name, "MustUpdate"
// (boolean) and "NewVersion" (string) set the update state; a key that is
// absent, or holds a value of another type, leaves the default. A file that
// is not a property list, or whose root is not a dictionary, counts as absent.
//
// Values are set on the main thread and read from any thread; each accessor
// is safe against a concurrent setter.
class NVXSoftWareInfo {
public:
    static NVXSoftWareInfo &singleton();
    // The settings file of singleton(): application support folder +
    // "/NVXSoftware-Info.plist".
    static QString defaultSettingsPath();

    // A store on `settingsPath`, seeded from `seedPath` when no file is there
    // yet, reporting `version` as the application's own version.
    NVXSoftWareInfo(const QString &settingsPath, const QString &seedPath, const QString &version);
    NVXSoftWareInfo(const NVXSoftWareInfo &) = delete;
    NVXSoftWareInfo &operator=(const NVXSoftWareInfo &) = delete;

    QString productName() const { return productName_; }
    QString version() const { return version_; }
    QString buildDate() const { return buildDate_; }
    QString getProductTitle() const { return productName_; }
    QString settingsPath() const { return settingsPath_; }

    QString newversion() const;
    void setNewversion(const QString &version);
    bool mustUpdate() const { return mustUpdate_.load(); }
    void setMustUpdate(bool mustUpdate) { mustUpdate_.store(mustUpdate); }
    QString iTunesVersion() const;
    void setITunesVersion(const QString &version);
    bool isSupportWifi() const { return isSupportWifi_.load(); }
    void setIsSupportWifi(bool support) { isSupportWifi_.store(support); }

    // True only when the update is marked mandatory, a new version is known
    // and the own version is older under the numeric-aware comparison
    // ("1.0.9" is older than "1.0.10").
    bool checkMustUpdate() const;

    // Reads the settings file, sets "MustUpdate" and (when a new version is
    // known) "NewVersion", and writes the whole dictionary back atomically,
    // so keys this store does not use survive. Writes the console line
    // "success!" or "fail!" and answers whether the file was written; a file
    // that is missing or unreadable is left as it is and gives "fail!". The
    // values in memory stay either way.
    bool save();

    // The language code of the user's first preferred interface language
    // ("de-DE" gives "de"), "en" when there is none.
    static QString defaultLanguage();
    // The same rule on a given preference list.
    static QString languageCode(const QStringList &preferredLanguages);

private:
    const QString settingsPath_;
    QString productName_ = QStringLiteral("Snapvale");
    const QString version_;
    const QString buildDate_ = QStringLiteral("20150416");
    std::atomic<bool> isSupportWifi_{false};
    std::atomic<bool> mustUpdate_{false};

    mutable std::mutex mutex_; // guards the two strings below
    QString newversion_;
    QString iTunesVersion_;
};
