#pragma once
// A graph window on the test host with the graph's prompter and platform services answered
// by the test: the window is the last activated graph and shown off screen.
#include "common/GraphTestHost.h"
#include "common/GraphServices.h"
#include "analysis/Functions.h"
#include "analysis/IMessageSink.h"
#include "graph/GraphWindow.h"

struct CGraphRig
{
    CGraphServicesScope services;
    CGraphTestHost host;
    CGraphWindow* graph = nullptr;

    CGraphRig()
    {
        host.resize(1000, 800);
        graph = new CGraphWindow(&host);
        graph->resize(700, 500);
        host.SetLastActiveGraph(graph);
        host.show();
    }
};

// The analysis engine over a store, its messages dropped.
struct CGraphEngine : IMessageSink
{
    explicit CGraphEngine(CDataManager& data) : functions(&data, this) {}
    void criticalMessage(const QString&, const QString&) override {}
    CFunctions functions;
};
