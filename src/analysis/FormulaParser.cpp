// Tables, scanner and syntax check of the formula parser.
#include "analysis/FormulaParser.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>

CFormulaParser* CFormulaParser::m_Instance = nullptr;

namespace {

const char* const s_OperatorTable[] = {"+", "-", "*", "/", "^"};

const char* const s_FunctionTable[] = {
    "ABS", "SQRT", "FACT", "LN", "LOG", "EXP", "SIN", "COS", "TAN", "ARCSIN", "ARCCOS",
    "ARCTAN", "RAD", "DEG", "SINH", "COSH", "TANH", "ARCSINH", "ARCCOSH", "ARCTANH", "INT",
    "INVERSE"};

enum ObjectKind { KindNone = -1, KindNumber = 0, KindOperator = 1, KindFunction = 2,
                  KindOpen = 3, KindClose = 4 };

bool isSign(QChar c)
{
    return c == QLatin1Char('+') || c == QLatin1Char('-');
}

template <typename T>
void clearOwned(QList<T*>* list)
{
    if (list) {
        qDeleteAll(*list);
        list->clear();
    }
}

// Position search in an ascending list (binary search; the lists are built in text order).
int findPosition(const QList<int>& list, int position)
{
    auto it = std::lower_bound(list.cbegin(), list.cend(), position);
    return (it != list.cend() && *it == position) ? int(it - list.cbegin()) : -1;
}

template <typename T>
int findStart(const QList<T*>& list, int position)
{
    auto it = std::lower_bound(list.cbegin(), list.cend(), position,
                               [](const T* item, int pos) { return item->start < pos; });
    return (it != list.cend() && (*it)->start == position) ? int(it - list.cbegin()) : -1;
}

// Locale-independent conversion of a number's characters ("." as the decimal point); a text
// of several points or beyond the double range fails. Short ASCII numbers, all that the
// evaluator writes back, take a fast path without allocation.
bool convertNumber(const QChar* text, int length, double& value)
{
    char buffer[128];
    bool ascii = length > 0 && length < int(sizeof(buffer));
    for (int i = 0; ascii && i < length; ++i) {
        const ushort u = text[i].unicode();
        ascii = u < 0x80;
        buffer[i] = char(u);
    }
    if (!ascii) {
        bool ok = false;
        value = QString(text, length).toDouble(&ok);
        return ok;
    }
    const auto result = std::from_chars(buffer, buffer + length, value, std::chars_format::fixed);
    return result.ec == std::errc() && result.ptr == buffer + length;
}

// Records of a rescan reuse those of the previous scan of the same list.
template <typename T>
class RecordPool
{
public:
    explicit RecordPool(QList<T*>* list)
    {
        if (list)
            m_Free.swap(*list);
    }
    ~RecordPool() { qDeleteAll(m_Free); }
    T* take()
    {
        if (m_Free.isEmpty())
            return new T;
        T* record = m_Free.takeLast();
        *record = T();
        return record;
    }

private:
    QList<T*> m_Free;
};

using Opperand = CFormulaParser::Opperand;
using Operation = CFormulaParser::Operation;

// A number from p on: digits and points. p is left on its last character.
int scanNumber(const QString& text, int& p, RecordPool<Opperand>& pool,
               QList<Opperand*>* operands)
{
    int q = p + 1;
    while (q < text.size() && (text.at(q).isDigit() || text.at(q) == QLatin1Char('.')))
        ++q;
    double value = 0.0;
    if (!convertNumber(text.constData() + p, q - p, value))
        return CFormulaParser::ErrInvalidOperand;
    Opperand* operand = pool.take();
    operand->text = text.mid(p, q - p);
    operand->value = value;
    operand->start = p;
    operand->end = q - 1;
    operands->append(operand);
    p = q - 1;
    return 0;
}

// A function name from p on: letters. p is left on its last character.
int scanName(const CFormulaParser& parser, const QString& text, int& p,
             RecordPool<Operation>& pool, QList<Operation*>* operations)
{
    int q = p + 1;
    while (q < text.size() && text.at(q).isLetter())
        ++q;
    const QString name = text.mid(p, q - p);
    if (parser.functionIndex(name) < 0)
        return CFormulaParser::ErrUnknownFunction;
    Operation* operation = pool.take();
    operation->start = p;
    operation->end = q - 1;
    operation->text = name;
    operation->isFunction = true;
    operations->append(operation);
    p = q - 1;
    return 0;
}

} // namespace

QString FormulaNumberText(double value)
{
    return QString::number(value, 'f', 10);
}

// ---------------------------------------------------------------------------------------------
// OperatorTypeCounter

CFormulaParser::OperatorTypeCounter::OperatorTypeCounter()
{
    for (const char* op : s_OperatorTable)
        m_Operators.append(QLatin1String(op));
    reset();
}

void CFormulaParser::OperatorTypeCounter::addToCount(const QString& text)
{
    const int index = m_Operators.indexOf(text);
    if (index >= 0)
        ++m_Counts[index];
}

void CFormulaParser::OperatorTypeCounter::reset()
{
    std::fill(std::begin(m_Counts), std::end(m_Counts), 0);
}

void CFormulaParser::OperatorTypeCounter::increment(int operatorId)
{
    if (operatorId >= 0 && operatorId < 5)
        ++m_Counts[operatorId];
}

void CFormulaParser::OperatorTypeCounter::decrement(int operatorId)
{
    if (operatorId >= 0 && operatorId < 5)
        --m_Counts[operatorId];
}

int CFormulaParser::OperatorTypeCounter::count(int operatorId) const
{
    return (operatorId >= 0 && operatorId < 5) ? m_Counts[operatorId] : 0;
}

// ---------------------------------------------------------------------------------------------
// Tables

CFormulaParser::CFormulaParser()
{
    init();
}

CFormulaParser* CFormulaParser::getInstance()
{
    if (!m_Instance)
        m_Instance = new CFormulaParser;
    return m_Instance;
}

void CFormulaParser::init()
{
    m_pOperators.clear();
    for (const char* op : s_OperatorTable)
        m_pOperators.append(QLatin1String(op));
    m_pFunctions.clear();
    for (const char* fn : s_FunctionTable)
        m_pFunctions.append(QLatin1String(fn));

    auto tr = [](const char* text) { return QCoreApplication::translate("CFormulaParser", text); };
    m_ErrorTexts = QStringList{
        tr("Unknown Error"),
        tr("Invalid opperand"),
        tr("Unknown Operator"),
        tr("Unknown Function"),
        tr("Missing Bracket"),
        tr("Unclosed Bracket"),
        tr("Missing Operand"),
        tr("Missing Opperand"),
        tr("Missing Operation"),
        tr("Missing Operand"),
        tr("Function Missing Operand"),
        tr("Function Missing Bracket"),
        tr("Factorial Invalid Operand"),
        tr("SQRT Invalid Operand"),
        tr("LN Invalid Operand"),
        tr("LOG Invalid Operand"),
        tr("INVERSE Invalid Operand"),
        tr("Overflow"),
        tr("NaN")};
    m_bRadians = false;
}

QString CFormulaParser::getErrorText(int code) const
{
    if (code >= -18 && code <= -1 && -code < m_ErrorTexts.size())
        return m_ErrorTexts.at(-code);
    return QString();
}

int CFormulaParser::functionIndex(const QString& name) const
{
    for (int i = 0; i < m_pFunctions.size(); ++i) {
        if (m_pFunctions.at(i).size() == name.size()
            && m_pFunctions.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int CFormulaParser::operatorIndex(QChar c) const
{
    for (int i = 0; i < m_pOperators.size(); ++i) {
        if (m_pOperators.at(i).at(0) == c)
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Scanner

// Folds a sign c that directly follows the sign operation just scanned (prev). The text is
// edited in place; p is left on the character that now follows the folded pair. prev becomes
// the sign that survives the fold (none when both were deleted), so that a third sign folds
// with what is really in the text: 5-+-3 is 5+3 and ---5 is -5.
int CFormulaParser::foldSigns(QString* text, int& p, QChar c, QList<Operation*>* operations,
                              OperatorTypeCounter* counter, QChar& prev)
{
    Operation* previous = operations->isEmpty() ? nullptr : operations->last();
    if (!previous || previous->isFunction || previous->start != p - 1)
        return ErrMissingOpperand; // cannot happen for text the scanner walked itself

    const QChar before = previous->text.at(0);
    if (c == QLatin1Char('+')) {
        text->remove(p, 1); // "++" and "-+": the sign before stays as it is
        prev = before;
        return 0;
    }
    // "--" at the start of the text or of a bracket cancels out; folded into "+" it would
    // stand where no "+" may (the check rejects "+5" and "(+5)").
    const int pairStart = previous->start;
    const bool leading = pairStart == 0 || text->at(pairStart - 1) == QLatin1Char('(');
    if (before == QLatin1Char('-') && leading) {
        text->remove(pairStart, 2);
        delete operations->takeLast();
        if (counter)
            counter->decrement(OpMinus);
        p = pairStart;
        prev = pairStart == 0 ? QChar() : QLatin1Char('(');
        return 0;
    }
    const bool wasMinus = before == QLatin1Char('-');
    const QString merged = wasMinus ? QStringLiteral("+") : QStringLiteral("-");
    text->replace(p - 1, 2, merged);
    previous->text = merged;
    if (counter) {
        counter->decrement(wasMinus ? OpMinus : OpPlus);
        counter->increment(wasMinus ? OpPlus : OpMinus);
    }
    prev = merged.at(0);
    return 0;
}

int CFormulaParser::parseFormulaObjectsIntoLists(QString* formula, QList<int>* open,
                                                 QList<int>* close, QList<Opperand*>* operands,
                                                 QList<Operation*>* operations,
                                                 OperatorTypeCounter* counter)
{
    if (open)
        open->clear();
    if (close)
        close->clear();
    RecordPool<Opperand> operandPool(operands);
    RecordPool<Operation> operationPool(operations);
    if (counter)
        counter->reset();
    if (!formula)
        return 0;

    // The scan needs somewhere to keep operands and operations even when the caller does not.
    QList<Opperand*> localOperands;
    QList<Operation*> localOperations;
    if (!operands)
        operands = &localOperands;
    if (!operations)
        operations = &localOperations;
    struct Cleanup {
        QList<Opperand*>* a;
        QList<Operation*>* b;
        ~Cleanup() { clearOwned(a); clearOwned(b); }
    } cleanup{&localOperands, &localOperations};

    QString& text = *formula;
    QChar prev; // first character of the previous token; null at the start
    int p = 0;
    while (p < text.size()) {
        const QChar c = text.at(p);
        if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            QList<int>* list = (c == QLatin1Char('(')) ? open : close;
            if (list)
                list->append(p);
        } else if (c == QLatin1Char('_')) {
            // The marker belongs to a number; with none before it the text is malformed.
            if (operands->isEmpty())
                return ErrMissingOpperand;
            operands->last()->isNegative = true;
        } else if (c.isDigit()) {
            const int rc = scanNumber(text, p, operandPool, operands);
            if (rc != 0)
                return rc;
        } else if (c.isLetter()) {
            const int rc = scanName(*this, text, p, operationPool, operations);
            if (rc != 0)
                return rc;
        } else {
            const int id = operatorIndex(c);
            if (id < 0)
                return ErrUnknownOperator;
            if (isSign(c) && isSign(prev)) {
                const int rc = foldSigns(formula, p, c, operations, counter, prev);
                if (rc != 0)
                    return rc;
                continue; // p already stands on the character after the pair
            }
            Operation* operation = operationPool.take();
            operation->start = p;
            operation->end = p;
            operation->text = m_pOperators.at(id);
            operations->append(operation);
            if (counter)
                counter->increment(id);
        }
        prev = c;
        ++p;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Check

int CFormulaParser::getNextFormulaObjectIndex(int pos, const QList<int>& open,
                                              const QList<int>& close,
                                              const QList<Opperand*>& operands,
                                              const QList<Operation*>& operations,
                                              int* kind) const
{
    int found = KindNone;
    int index = findPosition(open, pos + 1);
    if (index >= 0) {
        found = KindOpen;
    } else if ((index = findPosition(close, pos + 1)) >= 0) {
        found = KindClose;
    } else if ((index = findStart(operands, pos + 1)) >= 0) {
        found = KindNumber;
    } else if ((index = findStart(operations, pos + 1)) >= 0) {
        found = operations.at(index)->isFunction ? KindFunction : KindOperator;
    }
    if (kind)
        *kind = found;
    return found == KindNone ? -1 : index;
}

int CFormulaParser::objectEnd(int kind, int index, const QList<int>& open,
                              const QList<int>& close, const QList<Opperand*>& operands,
                              const QList<Operation*>& operations) const
{
    switch (kind) {
    case KindOpen: return open.at(index);
    case KindClose: return close.at(index);
    case KindNumber: return operands.at(index)->end;
    default: return operations.at(index)->end;
    }
}

// The verdict on one object followed by its successor (kind -1: nothing begins there).
int CFormulaParser::checkSuccessor(int kind, int successorKind, int successorIndex,
                                   const QList<Operation*>& operations) const
{
    switch (kind) {
    case KindNumber:
        if (successorKind == KindOpen || successorKind == KindFunction
            || successorKind == KindNumber)
            return ErrMissingOperation;
        return 0;
    case KindOperator:
        if (successorKind == KindNone || successorKind == KindOperator)
            return ErrMissingOpperand;
        return 0;
    case KindFunction:
        if (successorKind == KindNone || successorKind == KindOpen)
            return 0;
        return ErrFunctionMissingBracket;
    case KindOpen:
        if (successorKind == KindNone)
            return ErrMissingBracket;
        if (successorKind == KindClose)
            return ErrMissingOpperand;
        if (successorKind == KindOperator
            && operations.at(successorIndex)->text != QLatin1String("-"))
            return ErrMissingOpperand;
        return 0;
    case KindClose:
        if (successorKind == KindNumber || successorKind == KindFunction)
            return ErrMissingOperation;
        return 0;
    default:
        return 0;
    }
}

int CFormulaParser::checkFormulaForErrors(QString* formula, QList<int>* open, QList<int>* close,
                                          QList<Opperand*>* operands,
                                          QList<Operation*>* operations)
{
    int rc = parseFormulaObjectsIntoLists(formula, open, close, operands, operations, nullptr);
    if (rc != 0)
        return rc;
    if (!formula || !open || !close || !operands || !operations)
        return 0;

    if (!operations->isEmpty()) {
        const Operation* first = operations->first();
        if (first->start == 0 && !first->isFunction && first->text != QLatin1String("-"))
            return ErrMissingOpperand;
    }
    if (open->size() != close->size())
        return ErrMissingBracket;
    for (int k = open->size() - 1; k >= 0; --k) {
        if (open->at(k) > close->at(k))
            return ErrUnclosedBracket;
    }
    if (formula->isEmpty())
        return 0;

    // Walk from object to object; each object is judged by the one that begins right after it.
    const int length = formula->size();
    int pos = -1;
    do {
        int kind = KindNone;
        const int index = getNextFormulaObjectIndex(pos, *open, *close, *operands, *operations,
                                                    &kind);
        if (index < 0)
            return 0;
        const int end = objectEnd(kind, index, *open, *close, *operands, *operations);
        int successorKind = KindNone;
        const int successor = getNextFormulaObjectIndex(end, *open, *close, *operands,
                                                        *operations, &successorKind);
        rc = checkSuccessor(kind, successorKind, successor, *operations);
        if (rc != 0)
            return rc;
        pos = end;
    } while (pos < length - 1);
    return 0;
}
