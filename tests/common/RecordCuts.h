#pragma once
// A workspace record cut at every byte: its reader must report each cut as incomplete, and
// every field it fills must hold the value it had before or the value the whole record carries,
// never one made up from bytes past the end (a key 0 where -1 stood, an empty name).
#include <QDataStream>
#include <QVariantList>
#include <QtTest>

#include <functional>

namespace RecordCuts {

struct Outcome
{
    bool complete = false;   // the reader met the record's end tag
    QVariantList fields;     // the fields it fills, in a fixed order
};

// read makes a fresh object with its starting values, reads the stream into it and returns the
// outcome. Returns at the first failure, as QCOMPARE does.
inline void CheckEveryCut(const QByteArray& record, const std::function<Outcome(QDataStream&)>& read)
{
    QDataStream none(QByteArray{}), all(record);
    const QVariantList before = read(none).fields;
    const Outcome whole = read(all);
    QVERIFY2(whole.complete && whole.fields.size() == before.size(), "the whole record does not read to its end");
    for (int cut = 0; cut < record.size(); ++cut) {
        QDataStream in(record.left(cut));
        const Outcome got = read(in);
        QVERIFY2(!got.complete, qPrintable(QString("cut at %1 reads as complete").arg(cut)));
        for (int f = 0; f < before.size(); ++f)
            QVERIFY2(got.fields[f] == before[f] || got.fields[f] == whole.fields[f],
                     qPrintable(QString("cut at %1: field %2 is %3").arg(cut).arg(f).arg(got.fields[f].toString())));
    }
}

} // namespace RecordCuts
