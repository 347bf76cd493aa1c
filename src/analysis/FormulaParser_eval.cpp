// Evaluation of the formula parser: brackets from the innermost out, then operator levels.
#include "analysis/FormulaParser.h"

#include <cmath>
#include <cstdint>

namespace {

const double s_DegToRad = 0.017453292519943295;
const double s_RadToDeg = 57.29577951308232;

// Owns the records of two object lists for the duration of one call.
struct ObjectLists
{
    QList<CFormulaParser::Opperand*> operands;
    QList<CFormulaParser::Operation*> operations;
    ~ObjectLists()
    {
        qDeleteAll(operands);
        qDeleteAll(operations);
    }
};

int errorOfResult(double value)
{
    if (std::isinf(value))
        return CFormulaParser::ErrOverflow;
    if (std::isnan(value))
        return CFormulaParser::ErrNaN;
    return 0;
}

// n! for 0 <= n <= 20 as an exact product; 20! is the largest that a 64-bit integer holds.
double exactFactorial(int n)
{
    std::int64_t product = 1;
    for (int i = 2; i <= n; ++i)
        product *= i;
    return double(product);
}

// The functions with a domain of their own. Returns false for any other id. On a domain error
// *error is set and the result is 0.0.
bool calcCheckedFunction(int functionId, double x, double& result, int* error)
{
    result = 0.0;
    switch (functionId) {
    case CFormulaParser::FnSqrt:
        if (x < 0)
            *error = CFormulaParser::ErrSqrtInvalidOperand;
        else
            result = std::sqrt(x);
        return true;
    case CFormulaParser::FnFact:
        // The operand must be a whole number that fits the 32-bit integer the function takes;
        // beyond 20! the exact result no longer fits a 64-bit integer.
        if (std::isnan(x) || x < 0 || x >= 2147483648.0 || double(int(x)) != x)
            *error = CFormulaParser::ErrFactorialInvalidOperand;
        else if (x > 20)
            *error = CFormulaParser::ErrOverflow;
        else
            result = exactFactorial(int(x));
        return true;
    case CFormulaParser::FnLn:
        if (x < 0)
            *error = CFormulaParser::ErrLnInvalidOperand;
        else
            result = std::log(x);
        return true;
    case CFormulaParser::FnLog:
        if (x < 0)
            *error = CFormulaParser::ErrLogInvalidOperand;
        else
            result = std::log10(x);
        return true;
    case CFormulaParser::FnInt:
        // Truncation goes through a 32-bit integer: a value outside its range cannot pass.
        if (std::isnan(x))
            *error = CFormulaParser::ErrNaN;
        else if (!(x > -2147483649.0 && x < 2147483648.0))
            *error = CFormulaParser::ErrOverflow;
        else
            result = double(int(x));
        return true;
    case CFormulaParser::FnInverse:
        if (x == 0)
            *error = CFormulaParser::ErrInverseInvalidOperand;
        else
            result = 1.0 / x;
        return true;
    default:
        return false;
    }
}

} // namespace

double CFormulaParser::calcFunctionByType(int functionId, double x, int* error)
{
    int ignored = 0;
    if (!error)
        error = &ignored;
    *error = 0;
    const double angleIn = m_bRadians ? 1.0 : s_DegToRad;
    const double angleOut = m_bRadians ? 1.0 : s_RadToDeg;
    double result = 0.0;
    if (calcCheckedFunction(functionId, x, result, error)) {
        if (*error != 0)
            return 0.0;
    } else {
        switch (functionId) {
        case FnAbs: result = std::fabs(x); break;
        case FnExp: result = std::exp(x); break;
        case FnSin: result = std::sin(x * angleIn); break;
        case FnCos: result = std::cos(x * angleIn); break;
        case FnTan: result = std::tan(x * angleIn); break;
        case FnArcSin: result = std::asin(x) * angleOut; break;
        case FnArcCos: result = std::acos(x) * angleOut; break;
        case FnArcTan: result = std::atan(x) * angleOut; break;
        case FnRad: result = x * s_RadToDeg; break;
        case FnDeg: result = x * s_DegToRad; break;
        case FnSinh: result = std::sinh(x); break;
        case FnCosh: result = std::cosh(x); break;
        case FnTanh: result = std::tanh(x); break;
        case FnArcSinh: result = std::asinh(x); break;
        case FnArcCosh: result = std::acosh(x); break;
        case FnArcTanh: result = std::atanh(x); break;
        default:
            *error = ErrUnknownFunction;
            return 0.0;
        }
    }
    *error = errorOfResult(result);
    return *error ? 0.0 : result;
}

void CFormulaParser::doIfInternalNegative(QList<Opperand*>* operands, Opperand* operand,
                                          QString* expression)
{
    if (!operand || !operand->isNegative)
        return;
    const int marker = operand->end + 1;
    if (expression && marker < expression->size() && expression->at(marker) == QLatin1Char('_')) {
        expression->remove(marker, 1);
        if (operands) {
            for (Opperand* other : *operands) {
                if (other->start > operand->end) {
                    --other->start;
                    --other->end;
                }
            }
        }
    }
    operand->value = -operand->value;
    operand->isNegative = false;
}

void CFormulaParser::applyLeadingSign(QString* expression, QList<Opperand*>* operands,
                                      QList<Operation*>* operations,
                                      OperatorTypeCounter* counter)
{
    if (!expression->startsWith(QLatin1Char('-')) || operands->isEmpty()
        || operations->isEmpty())
        return;
    operands->first()->value = -operands->first()->value;
    delete operations->takeFirst();
    counter->decrement(OpMinus);
    expression->remove(0, 1);
    for (Operation* op : *operations) {
        --op->start;
        --op->end;
    }
    for (Opperand* operand : *operands) {
        --operand->start;
        --operand->end;
    }
}

// Applies the operator at operationIndex to its two neighbours and rewrites the text.
int CFormulaParser::applyOperator(int operatorId, int operationIndex, bool signLevel,
                                  QString* expression, QList<Opperand*>* operands,
                                  QList<Operation*>* operations, OperatorTypeCounter* counter)
{
    const Operation* op = operations->at(operationIndex);
    const int opStart = op->start;
    int leftIndex = -1;
    for (int j = 0; j + 1 < operands->size(); ++j) {
        const Opperand* candidate = operands->at(j);
        if (candidate->end == opStart - 1
            || (candidate->isNegative && candidate->end == opStart - 2)) {
            leftIndex = j;
            break;
        }
    }
    if (leftIndex < 0)
        return ErrMissingOpperand;
    Opperand* left = operands->at(leftIndex);
    Opperand* right = operands->at(leftIndex + 1);
    if (right->start != opStart + 1)
        return ErrMissingOpperand;
    doIfInternalNegative(operands, left, expression);
    doIfInternalNegative(operands, right, expression);

    double result = 0.0;
    switch (operatorId) {
    case OpPlus: result = left->value + right->value; break;
    case OpMinus: result = left->value - right->value; break;
    case OpMultiply: result = left->value * right->value; break;
    case OpDivide: result = left->value / right->value; break;
    default: result = std::pow(left->value, right->value); break;
    }
    counter->decrement(operatorId);
    const int rc = errorOfResult(result);
    if (rc != 0)
        return rc;

    // Below the "+"/"-" level a negative result is written with the marker, so that it stays
    // one operand for a following "*", "/" or "^" ((0-2)^3^2 is 64, 2*(0-2)^3 is -16).
    QString text;
    if (!signLevel && result < 0)
        text = FormulaNumberText(-result) + QLatin1Char('_');
    else
        text = FormulaNumberText(result);
    expression->replace(left->start, right->end - left->start + 1, text);

    const int scan = parseFormulaObjectsIntoLists(expression, nullptr, nullptr, operands,
                                                  operations, counter);
    if (scan != 0)
        return scan;
    if (signLevel)
        applyLeadingSign(expression, operands, operations, counter);
    return 0;
}

int CFormulaParser::calcBinaryTypeOperation(int operatorA, int operatorB, QString* expression,
                                            QList<Opperand*>* operands,
                                            QList<Operation*>* operations,
                                            OperatorTypeCounter* counter)
{
    if (!expression || !operands || !operations || !counter)
        return ErrMissingOpperand;
    int rc = parseFormulaObjectsIntoLists(expression, nullptr, nullptr, operands, operations,
                                          counter);
    if (rc != 0)
        return rc;
    const bool signLevel = operatorA == OpPlus;
    if (signLevel)
        applyLeadingSign(expression, operands, operations, counter);

    // Every application removes one operator; the bound only guards against text that does
    // not shrink as it should.
    int budget = expression->size() + 2;
    for (;;) {
        if (counter->count(operatorA) < 1 && counter->count(operatorB) < 1)
            return 0;
        bool applied = false;
        int i = 0;
        while (i < operations->size()) {
            const Operation* op = operations->at(i);
            const int id = op->isFunction ? -1 : operatorIndex(op->text.at(0));
            if (id != operatorA && id != operatorB) {
                ++i;
                continue;
            }
            if (--budget < 0)
                return ErrMissingOpperand;
            rc = applyOperator(id, i, signLevel, expression, operands, operations, counter);
            if (rc != 0)
                return rc;
            applied = true;
        }
        // Counts that name operators the text no longer holds would otherwise loop forever.
        if (!applied)
            return ErrMissingOpperand;
    }
}

double CFormulaParser::calcSimpleOperatorsExpression(QString expression, int* error)
{
    int ignored = 0;
    if (!error)
        error = &ignored;
    *error = 0;
    ObjectLists lists;
    OperatorTypeCounter counter;
    int rc = parseFormulaObjectsIntoLists(&expression, nullptr, nullptr, &lists.operands,
                                          &lists.operations, &counter);
    if (rc != 0) {
        *error = rc;
        return 0.0;
    }
    if (lists.operands.isEmpty()) {
        *error = ErrMissingOperand;
        return 0.0;
    }
    const Opperand* first = lists.operands.first();
    if (lists.operations.isEmpty())
        return first->isNegative ? -first->value : first->value;
    if (lists.operands.size() == 1 && lists.operations.size() == 1
        && expression.startsWith(QLatin1Char('-')))
        return first->isNegative ? first->value : -first->value;
    if (lists.operands.size() < 2) {
        *error = ErrMissingOpperand;
        return 0.0;
    }
    const int levels[3][2] = {{OpPower, OpPower}, {OpMultiply, OpDivide}, {OpPlus, OpMinus}};
    for (const auto& level : levels) {
        rc = calcBinaryTypeOperation(level[0], level[1], &expression, &lists.operands,
                                     &lists.operations, &counter);
        if (rc != 0) {
            *error = rc;
            return 0.0;
        }
    }
    if (lists.operands.isEmpty()) {
        *error = ErrMissingOperand;
        return 0.0;
    }
    first = lists.operands.first();
    return first->isNegative ? -first->value : first->value;
}

double CFormulaParser::calc(QString formula, int* error)
{
    int ignored = 0;
    if (!error)
        error = &ignored;
    *error = 0;
    QList<int> open;
    QList<int> close;
    ObjectLists lists;
    int rc = checkFormulaForErrors(&formula, &open, &close, &lists.operands, &lists.operations);
    if (rc != 0) {
        *error = rc;
        return 0.0;
    }
    while (!open.isEmpty() && !close.isEmpty()) {
        // The innermost bracket: the first ")" and the last "(" before it.
        const int closePos = close.first();
        int openPos = -1;
        for (int position : qAsConst(open)) {
            if (position < closePos)
                openPos = position;
        }
        if (openPos < 0) {
            *error = ErrUnclosedBracket;
            return 0.0;
        }
        double value = calcSimpleOperatorsExpression(
            formula.mid(openPos + 1, closePos - openPos - 1), &rc);
        if (rc != 0) {
            *error = rc;
            return 0.0;
        }
        int nameLength = 0;
        for (int i = 0; i < lists.operations.size(); ++i) {
            const Operation* op = lists.operations.at(i);
            const int id = op->isFunction ? functionIndex(op->text) : -1;
            if (op->end != openPos - 1 || id < 0)
                continue;
            value = calcFunctionByType(id, value, &rc);
            if (rc != 0) {
                *error = rc;
                return 0.0;
            }
            nameLength = op->text.size();
            delete lists.operations.takeAt(i);
            break;
        }
        const int from = openPos - nameLength;
        formula.remove(from, closePos - from + 1);
        formula.insert(from, value < 0 ? FormulaNumberText(-value) + QLatin1Char('_')
                                       : FormulaNumberText(value));
        rc = parseFormulaObjectsIntoLists(&formula, &open, &close, &lists.operands,
                                          &lists.operations, nullptr);
        if (rc != 0) {
            *error = rc;
            return 0.0;
        }
    }
    return calcSimpleOperatorsExpression(formula, error);
}
