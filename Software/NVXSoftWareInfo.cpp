#include "NVXSoftWareInfo.h"

#include "AppFolders.h"
#include "PropertyList.h"
#include "VersionCompare.h"

#include <QLocale>
#include <QRegularExpression>
#include <QVariantMap>

#include <cstdio>
#include <optional>

namespace {

// There is no scripting bridge to ask the installed iTunes application; the
// air-traffic sync expects this version then.
const char *const kFallbackITunesVersion = "11.3";

void consoleLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

// The settings dictionary, or nothing when the file is missing, is not a
// property list or has another root.
std::optional<QVariantMap> readSettings(const QString &path)
{
    const QVariant root = PropertyList::readFile(path);
    if (root.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return root.toMap();
}

bool isBoolean(const QVariant &v) { return v.typeId() == QMetaType::Bool; }
bool isString(const QVariant &v) { return v.typeId() == QMetaType::QString; }

} // namespace

NVXSoftWareInfo &NVXSoftWareInfo::singleton()
{
    // Function-local static: creation is serialised by the language.
    static NVXSoftWareInfo info(defaultSettingsPath(), QStringLiteral(":/seed/NVXSoftware-Info.plist"),
                                QStringLiteral(SNAPVALE_VERSION));
    return info;
}

QString NVXSoftWareInfo::defaultSettingsPath()
{
    return AppFolders::supportPath() + QStringLiteral("/NVXSoftware-Info.plist");
}

NVXSoftWareInfo::NVXSoftWareInfo(const QString &settingsPath, const QString &seedPath, const QString &version)
    : settingsPath_(settingsPath), version_(version), iTunesVersion_(QString::fromLatin1(kFallbackITunesVersion))
{
    const bool present = AppFolders::seedFile(settingsPath_, seedPath);
    consoleLine(QStringLiteral("path:") + settingsPath_);
    const std::optional<QVariantMap> settings = present ? readSettings(settingsPath_) : std::nullopt;
    if (!settings) {
        if (present)
            consoleLine(QStringLiteral("settings file is not a property-list dictionary, defaults used: ")
                        + settingsPath_);
        return;
    }
    const QVariant name = settings->value(QStringLiteral("ProductName"));
    if (isString(name))
        productName_ = name.toString();
    const QVariant must = settings->value(QStringLiteral("MustUpdate"));
    if (isBoolean(must))
        mustUpdate_.store(must.toBool());
    const QVariant newVersion = settings->value(QStringLiteral("NewVersion"));
    if (isString(newVersion))
        newversion_ = newVersion.toString();
}

QString NVXSoftWareInfo::newversion() const
{
    std::lock_guard lock(mutex_);
    return newversion_;
}

void NVXSoftWareInfo::setNewversion(const QString &version)
{
    std::lock_guard lock(mutex_);
    newversion_ = version;
}

QString NVXSoftWareInfo::iTunesVersion() const
{
    std::lock_guard lock(mutex_);
    return iTunesVersion_;
}

void NVXSoftWareInfo::setITunesVersion(const QString &version)
{
    std::lock_guard lock(mutex_);
    iTunesVersion_ = version;
}

bool NVXSoftWareInfo::checkMustUpdate() const
{
    const QString newest = newversion();
    return mustUpdate() && !newest.isEmpty() && VersionCompare::compare(version_, newest) < 0;
}

bool NVXSoftWareInfo::save()
{
    std::optional<QVariantMap> settings = readSettings(settingsPath_);
    bool ok = false;
    if (settings) {
        settings->insert(QStringLiteral("MustUpdate"), mustUpdate());
        const QString newest = newversion();
        if (!newest.isNull())
            settings->insert(QStringLiteral("NewVersion"), newest);
        ok = PropertyList::writeFile(settingsPath_, *settings, PropertyList::Format::Xml);
    }
    consoleLine(ok ? QStringLiteral("success!") : QStringLiteral("fail!"));
    return ok;
}

QString NVXSoftWareInfo::defaultLanguage() { return languageCode(QLocale::system().uiLanguages()); }

QString NVXSoftWareInfo::languageCode(const QStringList &preferredLanguages)
{
    if (preferredLanguages.isEmpty())
        return QStringLiteral("en");
    // "de-DE", "zh-Hant-TW", "pt_BR": the language is the part before the
    // first separator. Anything that is not two or three letters (the "C"
    // locale, an empty entry) has no language.
    const QString code = preferredLanguages.first().section(QRegularExpression(QStringLiteral("[-_.@]")), 0, 0).toLower();
    static const QRegularExpression letters(QStringLiteral("^[a-z]{2,3}$"));
    return letters.match(code).hasMatch() ? code : QStringLiteral("en");
}
