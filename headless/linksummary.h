// The run's figures made from its links' report objects: with one link,
// that link's own.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

// Key's objects of every link added up member by member; null when a link
// has none.
QJsonValue summedObjects(const QJsonArray &links, const QString &key);
// Entry i of every link's timeline together: counts added, t_s the first
// link's, each round-trip percentile the largest (a bound), null where a
// link's is null.
QJsonArray summedTimeline(const QJsonArray &links);
// Each way the lowest link's share; paced where every link was.
QJsonValue lowestLineUse(const QJsonArray &links);
// Every link's outages, each with its port, in the order they began.
QJsonArray allOutages(const QJsonArray &links);
// Key's words of every link in order, each once.
QStringList unionOf(const QJsonArray &links, const QString &key);
// The bit error test over every link's bits; null in the framed modes.
QJsonValue summedBitErrorTest(const QJsonArray &links);
