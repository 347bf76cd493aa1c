#pragma once
// The registry of the loggers the program knows, above the loggers' rooms: each room describes
// its kind (CLoggerKind, LoggerFace.h) and the registry lists them, one line each. Adding a
// logger is its room and its line here; the rest of the program looks a model up through the
// functions below instead of naming it.
#include "Core/Logic/LoggerFace.h"

using LoggerKindList = QVector<const CLoggerKind*>;

// Every kind of logger the program knows, one registry line each. A kind's place in the list
// is its slot among the logic manager's loggers.
const LoggerKindList& LoggerKinds();
// The model of a GetType answer; any number the program does not know is None.
LoggerModel LoggerModelOf(double type);
LoggerModel LoggerModelOf(ILogger* logger);
// The slot of a model among the logic manager's loggers; -1 for a model the program does not
// know.
int LoggerSlotOf(LoggerModel model);
// The model's own answers (no live link behind them); null for a model the program does not know.
ILoggerFace* KnownLoggerFace(LoggerModel model);
// The model's own answers; a model the program does not know answers as no logger.
ILoggerFace& LoggerFaceOf(LoggerModel model);
// Why a file cannot be sent as firmware to the loggers this program updates; empty when it can.
QString FirmwareFileProblem(const QString& path);

// The same look-ups over a given list of kinds (the registry's, or a test's).
LoggerModel LoggerModelOf(double type, const LoggerKindList& kinds);
int LoggerSlotOf(LoggerModel model, const LoggerKindList& kinds);
ILoggerFace& LoggerFaceOf(LoggerModel model, const LoggerKindList& kinds);
