#pragma once

#include <QMetaType>
#include <QString>

// The payload of the arrival announcement: which device arrived.
class NVXBaseInfo {
public:
    QString uniqueKey() const { return _uniqueKey; }
    void setUniqueKey(const QString &key) { _uniqueKey = key; }
    QString deviceName() const { return _deviceName; }
    void setDeviceName(const QString &name) { _deviceName = name; }
    QString connectType() const { return _connectType; }
    void setConnectType(const QString &type) { _connectType = type; }

private:
    QString _uniqueKey;
    QString _deviceName;
    QString _connectType;
};

Q_DECLARE_METATYPE(NVXBaseInfo)
