#pragma once
// The sensor catalogue as the Pelorin protocol reads it.
#include "Core/Logic/Pelorin/PelorinTypes.h"

class CSensorInfo;

class CPelorinCatalog : public Pelorin::ICatalogView
{
public:
    explicit CPelorinCatalog(const CSensorInfo* catalogue = nullptr) : m_pCatalogue(catalogue) {}
    void SetCatalogue(const CSensorInfo* catalogue) { m_pCatalogue = catalogue; }
    bool TypeAt(int index, Pelorin::SensorTypeView& out) const override;

private:
    const CSensorInfo* m_pCatalogue;
};
