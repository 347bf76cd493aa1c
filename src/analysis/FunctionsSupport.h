#pragma once
// Helpers shared by the derivation families of CFunctions (not part of its interface).
#include <QString>
#include <QVector>

class CDataBranch;
class CFunctions;

namespace AnalysisSupport {

// One normalised sample range of a branch, copied once under each list's lock. start and end
// are the normalised indices; x and y hold samples start..end (fewer only when the branch's
// X list is shorter than its Y list).
struct BranchRange
{
    long start = 0;
    long end = -1;
    QVector<double> x;
    QVector<double> y;
    int count() const { return x.size(); }
};

// Normalises (start, end) against the number of Y values of the branch and copies the range.
void ReadRange(const CDataBranch* branch, long start, long end, BranchRange& range);
// The same for a derivation that needs two samples or more: false for no branch, and after
// "Too few samples." for a range that holds fewer.
bool ReadRangeOfTwo(const CFunctions& engine, const CDataBranch* branch, long start, long end,
                    BranchRange& range);
// False after "Too few samples." when a result holds fewer than two samples.
bool HoldsTwo(const CFunctions& engine, int count);

// The factor from a branch's stored values to the unit the catalogue gives its measurement,
// the unit its graphs and tables are labelled with. A branch already stored in that unit (every
// recorded one) gets 1; so do results, fits and branches of no catalogue sensor.
double DisplayMultiplier(const CFunctions& engine, const CDataBranch* branch);

// A failure the user must see: a critical box with this title and text (the engine's sink).
void ShowCritical(const CFunctions& engine, const QString& title, const QString& text);
// The common failure of every derivation: "Too few samples." with an empty title.
void ShowTooFewSamples(const CFunctions& engine);

// One point of the transform with coefficients of function id (cosine, exponential, linear,
// logarithms, quadratic, reciprocal, sine, square, square root, tangent) at operand v: the
// formula the stored-data function applies, so a function computed while recording gives the
// same values. False when v lies outside the function's domain or id is none of these.
bool TransformPoint(int id, double v, double a, double b, double c, double& out);

} // namespace AnalysisSupport
