// A table's column records and the drag text, read from arbitrary bytes. The first byte picks
// the reader: a column record, a table window record's column list, or the keys of a drag text
// looked up in a small store. Every outcome is acceptable except a crash, a hang or a runaway
// allocation.
#include "Core/Data/DataManager.h"
#include "table/TableColumn.h"
#include "windowbase/BranchDragText.h"

#include <QByteArray>
#include <QDataStream>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Fonts and pictures want an application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1 << 16)
        return 0;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), int(size - 1));
    switch (data[0] % 3) {
    case 0: {
        QDataStream in(bytes);
        CTableColumn column;
        if (column.loadFromFile(&in, int(data[0])) == 0) {
            QByteArray again;
            QDataStream out(&again, QIODevice::WriteOnly);
            column.saveToFile(&out);
        }
        break;
    }
    case 1: {
        // Column after column, as a table record holds them, until one fails.
        QDataStream in(bytes);
        for (int n = 0; n < 64; ++n) {
            CTableColumn column;
            if (column.loadFromFile(&in, 0) != 0)
                break;
        }
        break;
    }
    default: {
        // The lookups only read the store: one serves every input.
        static const CDataManager* store = [] {
            auto* s = new CDataManager;
            CDataFolder* run = s->CreateDataFolder();
            for (int i = 0; i < 3; ++i)
                run->AddBranchKey(s->CreateDataBranch(1, 0.1, i, 0, run->m_Key));
            s->AddChildBranch(3, 1);
            return s;
        }();
        static const int runKey = store->GetDataFolderByIndex(0)->m_Key;
        const QString text = QString::fromUtf8(bytes);
        for (int key : ParseBranchDragKeys(text)) {
            BranchDragKeys(store, key);
            BranchDeletionOrder(store, key);
        }
        BuildBranchDragText(text, FolderDragKeys(store, runKey));
        break;
    }
    }
    return 0;
}
