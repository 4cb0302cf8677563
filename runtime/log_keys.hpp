#pragma once
// The keys of a run log's line, which the program writes and the report reads.
#include <array>

namespace runtime::log_key {

constexpr const char* kVersion = "pibench";
constexpr const char* kBuild = "build";
constexpr const char* kCompiler = "compiler";
constexpr const char* kTarget = "target";
constexpr const char* kType = "type";
constexpr const char* kStart = "start";
constexpr const char* kBatch = "batch";   // one invocation's batch, unique to it
constexpr const char* kRunIndex = "run";  // the run's place in its batch, from 1
constexpr const char* kIdentifier = "identifier";
constexpr const char* kDigits = "digits";
constexpr const char* kVectorLength = "vector_length";
constexpr const char* kSeconds = "seconds";
constexpr const char* kFigure = "figure";
constexpr const char* kElapsed = "elapsed";
constexpr const char* kPreciseFigure = "precise_figure";
constexpr const char* kCopies = "copies";
constexpr const char* kThroughput = "throughput";
constexpr const char* kCopyElapsed = "copy_elapsed";
constexpr const char* kWrongCopy = "wrong_copy";
constexpr const char* kResult = "result";
constexpr const char* kWrongFrom = "wrong_from";
constexpr const char* kStop = "stop";
constexpr const char* kCpuSeconds = "cpu_seconds";
constexpr const char* kFrequencyMhz = "frequency_mhz";
constexpr const char* kAtStart = "start";
constexpr const char* kAtEnd = "end";
constexpr const char* kLoadAverage = "load_average";
constexpr const char* kStealSeconds = "steal_seconds";
constexpr const char* kSlices = "slices";
constexpr const char* kDisturbed = "disturbed";
constexpr const char* kDisturbedKinds = "disturbed_kinds";  // each reason's kind, in the same order
constexpr const char* kSystem = "system";
constexpr const char* kCpu = "cpu";
constexpr const char* kLogicalCpus = "logical_cpus";
constexpr const char* kOs = "os";
constexpr const char* kKernel = "kernel";
constexpr const char* kGovernor = "governor";

constexpr const char* kCorrect = "correct";
constexpr const char* kWrong = "wrong";

// The kinds of reason a run was disturbed: the key "disturbed_kinds" holds,
// and the name the report counts it by (the reason's first words).
struct DisturbanceKind {
  const char* key;
  const char* name;
};
constexpr DisturbanceKind kCpuShare{"cpu_share", "cpu share"};
constexpr DisturbanceKind kFrequencyDrop{"frequency", "frequency"};
constexpr DisturbanceKind kSteal{"steal", "steal"};
constexpr DisturbanceKind kUneven{"uneven", "uneven"};
constexpr DisturbanceKind kCopiesUnequal{"copies_unequal", "copies unequal"};
constexpr std::array kDisturbanceKinds{kCpuShare, kFrequencyDrop, kSteal, kUneven, kCopiesUnequal};

}  // namespace runtime::log_key
