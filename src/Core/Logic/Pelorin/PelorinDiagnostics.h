#pragma once
// The Pelorin room's diagnostics: its modules' tags and the category they log to
// (QT_LOGGING_RULES="korvanta.pelorin.debug=true").
#include "Core/Base/Diagnostics.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPelorin)

// The protocol (requests and port), the manager (search, link, firmware) and the handler (runs).
inline constexpr CDiagnosticsModule DiagPelorinPro{"Pelorin  (Pro)  >> ", &lcPelorin};
inline constexpr CDiagnosticsModule DiagPelorinMan{"Pelorin  (Man)  >> ", &lcPelorin};
inline constexpr CDiagnosticsModule DiagPelorinHan{"Pelorin  (Han)  >> ", &lcPelorin};
