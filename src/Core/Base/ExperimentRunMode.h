#pragma once
// How the next run records: sampling (at the setup's rate, or a sample per press in manual
// mode) or event timing with photogates. The values are the ones the loggers' setup frames
// and the experiment-mode dialog use.
enum class ExperimentRunMode : int { Sampling = 0, Timing = 1 };
