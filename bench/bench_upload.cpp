// The online upload's costs.
//  - Encoding one SendReading call of 10,001 readings (one data set, the largest part an upload
//    sends) as the codec does it, against writing the same document with QXmlStreamWriter.
//  - Formatting 10,001 readings as the service reads them.
//  - The live upload beside a run at the logger's fastest rate (100,000 samples a second): a
//    storing thread appends a block of 1,000 converted samples every 10 ms, as the packet
//    processor does, while the upload worker gathers and formats every row it sends (the
//    service's replies are granted at once, the calls themselves not made). Reported: the
//    storing thread's processor time per second of run with and without the upload, and the
//    share the upload adds.
#include "../tests/common/PlainLogicContext.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "upload/DataQueue.h"
#include "upload/MaiaObject.h"
#include "upload/XMLRPC.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QThread>
#include <QXmlStreamWriter>

#include <atomic>
#include <cmath>
#include <ctime>
#include <thread>

namespace {

constexpr int kReadings = 10001;

QString ReadingsText()
{
    QStringList texts;
    for (int i = 0; i < kReadings; ++i)
        texts << CDataQueue::FormatValue(20.0 + std::sin(i * 0.01) * 3.3);
    return texts.join(QLatin1Char(','));
}

void BM_EncodeCallDom(benchmark::State& state)
{
    const QString set = ReadingsText();
    const QList<QVariant> args{QString("exp-1"), kReadings, QVariantList{set}};
    MaiaObject codec;
    for (auto _ : state) {
        const QByteArray body = codec.prepareCall("SendReading", args).toUtf8();
        benchmark::DoNotOptimize(body.data());
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
}
BENCHMARK(BM_EncodeCallDom)->Unit(benchmark::kMicrosecond);

void BM_EncodeCallStreamWriter(benchmark::State& state)
{
    const QString set = ReadingsText();
    for (auto _ : state) {
        QByteArray body;
        QXmlStreamWriter w(&body);
        w.setAutoFormatting(true);
        w.setAutoFormattingIndent(1);
        w.writeStartDocument();
        w.writeStartElement("methodCall");
        w.writeTextElement("methodName", "SendReading");
        w.writeStartElement("params");
        w.writeStartElement("param");
        w.writeStartElement("value");
        w.writeTextElement("string", "exp-1");
        w.writeEndElement();
        w.writeEndElement();
        w.writeStartElement("param");
        w.writeStartElement("value");
        w.writeTextElement("int", QString::number(kReadings));
        w.writeEndElement();
        w.writeEndElement();
        w.writeStartElement("param");
        w.writeStartElement("value");
        w.writeStartElement("array");
        w.writeStartElement("data");
        w.writeStartElement("value");
        w.writeTextElement("string", set);
        w.writeEndDocument();
        benchmark::DoNotOptimize(body.data());
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
}
BENCHMARK(BM_EncodeCallStreamWriter)->Unit(benchmark::kMicrosecond);

void BM_FormatReadings(benchmark::State& state)
{
    for (auto _ : state) {
        QStringList texts;
        texts.reserve(kReadings);
        for (int i = 0; i < kReadings; ++i)
            texts.append(CDataQueue::FormatValue(20.0 + i * 0.001));
        benchmark::DoNotOptimize(texts.size());
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
}
BENCHMARK(BM_FormatReadings)->Unit(benchmark::kMicrosecond);

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void CoreApplication()
{
    static int argc = 1;
    static char name[] = "bench_upload";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// One run of `seconds` at 100,000 samples a second; returns the storing thread's processor
// milliseconds per second of run. With upload, rows sent are counted into `sent`.
double StoringCpu(bool upload, int seconds, qint64* sent)
{
    CPlainLogicContext context;
    CDataManager data;
    const int key = data.CreateDataBranch(-1, 1e-5, 0, 0, 0);
    CDataBranch* branch = data.GetDataBranch(key);
    XMLRPC controller(nullptr);
    controller.SetContext(&context);
    controller.SetDataManager(&data);
    const int blocks = seconds * 100;
    if (upload) {
        auto* start = new XMLStartPacket;
        start->rateIndex = 14;
        start->numberOfSamples = blocks * 1000;
        start->sensorCount = 1;
        auto* rows = new XMLDataPacket;
        rows->sensorCount = 1;
        rows->keys = {key};
        controller.Process(start);
        controller.Process(rows);
    }
    std::atomic<bool> done{false};
    double cpuMs = 0.0;
    std::thread storing([&] {
        const double begin = ThreadCpuMs();
        QVector<double> x(1000), y(1000);
        for (int b = 0; b < blocks; ++b) {
            for (int i = 0; i < 1000; ++i) {
                const int n = b * 1000 + i;
                x[i] = n;
                y[i] = 0.0125 * (n % 4096) - 25.0; // a linear conversion of a raw reading
            }
            branch->AppendSamples(x.constData(), y.constData(), 1000);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        cpuMs = ThreadCpuMs() - begin;
        done = true;
    });
    CDataQueue* queue = controller.Queue();
    qint64 parts = 0;
    while (!done) {
        // The service accepts each part at once.
        if (upload && queue->IsAwaitingReply()) {
            queue->ReplyArrived(true);
            controller.WakeWorker();
            ++parts;
        }
        QThread::msleep(1);
    }
    storing.join();
    if (sent)
        *sent = parts;
    controller.Exit();
    return cpuMs / seconds;
}

void BM_LiveUploadStoringThreadCpu(benchmark::State& state)
{
    CoreApplication();
    const int seconds = 3;
    double without = 0.0, with = 0.0;
    qint64 parts = 0;
    for (auto _ : state) {
        without = StoringCpu(false, seconds, nullptr);
        with = StoringCpu(true, seconds, &parts);
    }
    state.counters["store_ms_per_s"] = without;
    state.counters["store_ms_per_s_uploading"] = with;
    state.counters["added_pct"] = without > 0 ? 100.0 * (with - without) / without : 0.0;
    state.counters["calls_granted"] = double(parts);
}
BENCHMARK(BM_LiveUploadStoringThreadCpu)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
