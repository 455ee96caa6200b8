#include "Localization.h"

#include <QCoreApplication>
#include <QThread>
#include <QTranslator>

#include <mutex>

namespace {

struct Table {
    // Never deleted: text() may be called during static destruction, and an
    // installed translator must outlive the application's use of it.
    QTranslator *translator = nullptr;
    bool loaded = false;
};

const Table &table()
{
    static Table t;
    static std::once_flag once;
    std::call_once(once, [] {
        t.translator = new QTranslator;
        t.loaded = t.translator->load(Localization::tablePath());
        QCoreApplication *app = QCoreApplication::instance();
        if (!t.loaded || !app)
            return;
        QTranslator *translator = t.translator;
        // Installing notifies the application's objects of the language
        // change, which belongs on the main thread.
        if (QThread::currentThread() == app->thread())
            app->installTranslator(translator);
        else
            QMetaObject::invokeMethod(app, [translator] {
                QCoreApplication::installTranslator(translator);
            }, Qt::QueuedConnection);
    });
    return t;
}

} // namespace

QString Localization::tablePath()
{
    return QStringLiteral(":/i18n/snapvale_en.qm");
}

bool Localization::install()
{
    return table().loaded;
}

QString Localization::text(const char *key)
{
    const Table &t = table();
    if (!t.loaded || !key || !*key)
        return QString();
    // Asked directly, the table answers a null string for a missing key,
    // where qtTrId() would answer the key itself. The lookup is const and
    // safe from any thread.
    return t.translator->translate(nullptr, key);
}

QString Localization::text(const QString &key)
{
    return text(key.toUtf8().constData());
}
