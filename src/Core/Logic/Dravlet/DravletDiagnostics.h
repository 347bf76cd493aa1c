#pragma once
// The Dravlet room's diagnostics: its modules' tags and the category they log to
// (QT_LOGGING_RULES="korvanta.dravlet.debug=true").
#include "Core/Base/Diagnostics.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDravlet)

// The protocol (requests and port), the handler (frames and runs) and the manager (search, link).
inline constexpr CDiagnosticsModule DiagDravletPro{"Dravlet(Pro)    >> ", &lcDravlet};
inline constexpr CDiagnosticsModule DiagDravletHan{"Dravlet(Han)    >> ", &lcDravlet};
inline constexpr CDiagnosticsModule DiagDravletMan{"Dravlet(Man)    >> ", &lcDravlet};
