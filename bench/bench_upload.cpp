// The online upload's costs.
//  - Encoding one SendReading call of 10,001 readings (one data set, the largest part an upload
//    sends): the one-pass writer the client uses, the DOM tree it replaced (same bytes), the
//    same document with QXmlStreamWriter, and the writer against QXmlStreamWriter and Python's
//    xmlrpc.client.dumps side by side with their ratios.
//  - Formatting 10,001 readings as the service reads them.
//  - The live upload beside a run at the logger's fastest rate (100,000 samples a second): a
//    storing thread appends a block of 1,000 converted samples every 10 ms, as the packet
//    processor does, while the upload worker gathers and formats every row it sends (the
//    service's replies are granted at once, the calls themselves not made). Reported: the
//    storing thread's processor time per second of run with and without the upload, and the
//    share the upload adds.
#include "../tests/common/DomXmlRpcCall.h"
#include "../tests/common/PlainLogicContext.h"
#include "Core/Data/DataBranch.h"
#include "Core/Data/DataManager.h"
#include "upload/DataQueue.h"
#include "upload/MaiaObject.h"
#include "upload/XMLRPC.h"
#include "support/BenchProcess.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QXmlStreamWriter>

#include <algorithm>
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
    for (auto _ : state) {
        const QByteArray body = DomXmlRpcCall("SendReading", args);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
}
BENCHMARK(BM_EncodeCallDom)->Unit(benchmark::kMicrosecond);

// What the client sends: the same bytes as the DOM tree gave, written in one pass.
void BM_EncodeCall(benchmark::State& state)
{
    const QString set = ReadingsText();
    const QList<QVariant> args{QString("exp-1"), kReadings, QVariantList{set}};
    for (auto _ : state) {
        const QByteArray body = MaiaObject::prepareCallBody("SendReading", args);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
    state.SetBytesProcessed(state.iterations() * MaiaObject::prepareCallBody("SendReading", args).size());
}
BENCHMARK(BM_EncodeCall)->Unit(benchmark::kMicrosecond);

// The same document written with QXmlStreamWriter: the baseline of a streaming encoder.
QByteArray StreamWriterCall(const QString& set)
{
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
    return body;
}

void BM_EncodeCallStreamWriter(benchmark::State& state)
{
    const QString set = ReadingsText();
    for (auto _ : state) {
        const QByteArray body = StreamWriterCall(set);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetItemsProcessed(state.iterations() * kReadings);
}
BENCHMARK(BM_EncodeCallStreamWriter)->Unit(benchmark::kMicrosecond);

// Best time per call of `encode` over `rounds` rounds of `calls` calls, in microseconds.
template <class Encode>
double BestMicroseconds(Encode encode, int rounds, int calls)
{
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < calls; ++i)
            benchmark::DoNotOptimize(encode().size());
        best = std::min(best, clock.nsecsElapsed() / 1e3 / calls);
    }
    return best;
}

// The pair side by side in one run, and Python's xmlrpc.client.dumps of the same document
// (bench/xmlrpc_dumps.py, which the build puts beside this program, fed the same readings):
// best of each, and the ratios. Without the script or python3 the benchmark fails with why.
void BM_EncodeCallRatios(benchmark::State& state)
{
    const QString set = ReadingsText();
    const QList<QVariant> args{QString("exp-1"), kReadings, QVariantList{set}};
    double writer = 0.0, streamWriter = 0.0, python = 0.0;
    for (auto _ : state) {
        writer = 1e30;
        streamWriter = 1e30;
        for (int turn = 0; turn < 5; ++turn) {
            const auto encode = [&] { return MaiaObject::prepareCallBody("SendReading", args); };
            writer = std::min(writer, BestMicroseconds(encode, 3, 200));
            streamWriter = std::min(streamWriter, BestMicroseconds([&] { return StreamWriterCall(set); }, 3, 50));
        }
        QByteArray output;
        QString error;
        bool number = false;
        if (RunBenchScript(QStringLiteral("xmlrpc_dumps.py"), set.toUtf8(), output, error))
            python = output.trimmed().toDouble(&number);
        if (!number || python <= 0.0) {
            if (error.isEmpty())
                error = QStringLiteral("xmlrpc_dumps.py printed no time: %1").arg(QString::fromUtf8(output.trimmed()));
            state.SkipWithError(error.toUtf8().constData());
            return;
        }
    }
    state.counters["writer_us"] = writer;
    state.counters["qxmlstreamwriter_us"] = streamWriter;
    state.counters["python_dumps_us"] = python;
    state.counters["writer_vs_streamwriter"] = writer / streamWriter;
    state.counters["writer_vs_python"] = writer / python;
    state.SetLabel(BenchPythonDescribed().toStdString());
}
BENCHMARK(BM_EncodeCallRatios)->Iterations(1)->Unit(benchmark::kMillisecond);

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

// The service answers at once: the worker's calls are taken on its own thread, their packets
// released and the next part allowed, so nothing waits on a network.
void InstantService(XMLRPC& controller, std::atomic<qint64>* rows)
{
    CDataQueue* queue = controller.Queue();
    QObject::disconnect(queue, nullptr, &controller, nullptr);
    auto grant = [queue, &controller] {
        queue->ReplyArrived(true);
        controller.WakeWorker();
    };
    QObject::connect(queue, &CDataQueue::StartExperiement, queue, [grant](const XMLStartPacket&) { grant(); },
                     Qt::DirectConnection);
    QObject::connect(queue, &CDataQueue::SendReading, queue, [grant, rows](const XMLDataPacket& p) {
        *rows += p.rowCount;
        grant();
    }, Qt::DirectConnection);
}

// Starts a live upload of the branch `key` declaring `samples` rows.
void StartLive(XMLRPC& controller, int key, int samples)
{
    auto* start = new XMLStartPacket;
    start->rateIndex = 14;
    start->numberOfSamples = samples;
    start->sensorCount = 1;
    auto* part = new XMLDataPacket;
    part->sensorCount = 1;
    part->keys = {key};
    controller.Process(start);
    controller.Process(part);
}

void FillBlock(QVector<double>& x, QVector<double>& y, int block)
{
    for (int i = 0; i < x.size(); ++i) {
        const int n = block * x.size() + i;
        x[i] = n;
        y[i] = 0.0125 * (n % 4096) - 25.0; // a linear conversion of a raw reading
    }
}

// One run of `seconds` at 100,000 samples a second; returns the storing thread's processor
// milliseconds per second of run. With upload, the rows sent are added to `sent`.
double StoringCpu(bool upload, int seconds, std::atomic<qint64>* sent)
{
    CPlainLogicContext context;
    CDataManager data;
    const int key = data.CreateDataBranch(-1, 1e-5, 0, 0, 0);
    CDataBranch* branch = data.GetDataBranch(key);
    XMLRPC controller(nullptr);
    controller.SetContext(&context);
    controller.SetDataManager(&data);
    InstantService(controller, sent);
    const int blocks = seconds * 100;
    if (upload)
        StartLive(controller, key, blocks * 1000);
    double cpuMs = 0.0;
    std::thread storing([&] {
        const double begin = ThreadCpuMs();
        QVector<double> x(1000), y(1000);
        for (int b = 0; b < blocks; ++b) {
            FillBlock(x, y, b);
            branch->AppendSamples(x.constData(), y.constData(), 1000);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        cpuMs = ThreadCpuMs() - begin;
    });
    storing.join();
    // Let the upload catch up with the end of the run before it is torn down.
    for (int i = 0; upload && i < 2000 && *sent < qint64(blocks) * 1000; ++i)
        QThread::msleep(1);
    controller.Exit();
    return cpuMs / seconds;
}

void BM_LiveUploadStoringThreadCpu(benchmark::State& state)
{
    CoreApplication();
    const int seconds = 3;
    double without = 0.0, with = 0.0;
    std::atomic<qint64> rows{0};
    for (auto _ : state) {
        without = StoringCpu(false, seconds, &rows);
        rows = 0;
        with = StoringCpu(true, seconds, &rows);
    }
    state.counters["store_ms_per_s"] = without;
    state.counters["store_ms_per_s_uploading"] = with;
    state.counters["added_pct"] = without > 0 ? 100.0 * (with - without) / without : 0.0;
    state.counters["rows_sent"] = double(rows.load());
}
BENCHMARK(BM_LiveUploadStoringThreadCpu)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The storing thread flat out (no pauses), one block of 1,000 samples per iteration, with
// (argument 1) and without (0) the worker gathering and formatting every row behind it: the
// worst case of the two threads sharing the branch's locks.
void BM_StoreBlockBesideUpload(benchmark::State& state)
{
    CoreApplication();
    CPlainLogicContext context;
    CDataManager data;
    const int key = data.CreateDataBranch(-1, 1e-5, 0, 0, 0);
    CDataBranch* branch = data.GetDataBranch(key);
    XMLRPC controller(nullptr);
    controller.SetContext(&context);
    controller.SetDataManager(&data);
    std::atomic<qint64> rows{0};
    InstantService(controller, &rows);
    if (state.range(0))
        StartLive(controller, key, 100000000);
    QVector<double> x(1000), y(1000);
    int block = 0;
    for (auto _ : state) {
        FillBlock(x, y, block++);
        branch->AppendSamples(x.constData(), y.constData(), 1000);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.counters["rows_sent"] = double(rows.load());
    controller.Exit();
}
BENCHMARK(BM_StoreBlockBesideUpload)->Arg(0)->Arg(1)->Iterations(4000)->Repetitions(3)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
