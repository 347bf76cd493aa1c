#pragma once
// A workspace record cut at every byte: its reader must report each cut as incomplete, and
// every field it fills must hold either the value it had before the read or the value the whole
// record carries, never one made up from bytes past the end (a key 0 where -1 stood, an empty
// name where one was).
#include <QByteArray>
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

// read makes a fresh object with its starting values, reads the record from the stream into
// it and returns the outcome. Call QCOMPARE-style: returns at the first failure.
inline void CheckEveryCut(const QByteArray& record, const std::function<Outcome(QDataStream&)>& read)
{
    QDataStream none(QByteArray{});
    const QVariantList before = read(none).fields;
    QDataStream all(record);
    const Outcome whole = read(all);
    QVERIFY2(whole.complete, "the whole record does not read to its end");
    QCOMPARE(whole.fields.size(), before.size());
    for (int cut = 0; cut < record.size(); ++cut) {
        QDataStream in(record.left(cut));
        const Outcome got = read(in);
        QVERIFY2(!got.complete, qPrintable(QStringLiteral("cut at byte %1 reads as complete").arg(cut)));
        for (int f = 0; f < before.size(); ++f) {
            const QVariant& v = got.fields.at(f);
            QVERIFY2(v == before.at(f) || v == whole.fields.at(f),
                     qPrintable(QStringLiteral("cut at byte %1: field %2 is %3, neither %4 nor %5")
                                    .arg(cut)
                                    .arg(f)
                                    .arg(v.toString(), before.at(f).toString(), whole.fields.at(f).toString())));
        }
    }
}

} // namespace RecordCuts
