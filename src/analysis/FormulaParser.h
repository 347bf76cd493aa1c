#pragma once
// The calculator's formula checker and evaluator.
//
// Evaluation works by rewriting the formula text: the innermost bracket is evaluated and its
// value, written back with 10 decimals, replaces it (together with a function name in front of
// it); inside a bracket-free expression every operator application replaces "left op right" by
// its result. A negative value written back carries the marker "_" behind its digits instead of
// a leading "-", so that it can stand after "*", "/" or "^".
#include <QList>
#include <QString>
#include <QStringList>

class CFormulaParser
{
public:
    // One number of the formula. Positions index the formula text; end is inclusive.
    struct Opperand
    {
        int start = 0;
        int end = 0;
        QString text;
        bool isNegative = false; // the marker "_" follows it
        double value = 0.0;
    };

    // One operator character or function name.
    struct Operation
    {
        int start = 0;
        int end = 0;
        QString text; // the operator, or the function name as typed
        bool isFunction = false;
    };

    // Number of operators of each kind ("+", "-", "*", "/", "^") in a scanned text.
    class OperatorTypeCounter
    {
    public:
        OperatorTypeCounter();
        void addToCount(const QString& text);
        void reset();
        void increment(int operatorId);
        void decrement(int operatorId);
        int count(int operatorId) const;

    private:
        int m_Counts[5];
        QStringList m_Operators;
    };

    enum OperatorId { OpPlus = 0, OpMinus = 1, OpMultiply = 2, OpDivide = 3, OpPower = 4 };
    enum FunctionId {
        FnAbs = 0, FnSqrt, FnFact, FnLn, FnLog, FnExp, FnSin, FnCos, FnTan, FnArcSin, FnArcCos,
        FnArcTan, FnRad, FnDeg, FnSinh, FnCosh, FnTanh, FnArcSinh, FnArcCosh, FnArcTanh, FnInt,
        FnInverse
    };

    // Error codes of every operation (0 = success); the text of code -k is error text k.
    enum ErrorCode {
        ErrInvalidOperand = -1,
        ErrUnknownOperator = -2,
        ErrUnknownFunction = -3,
        ErrMissingBracket = -4,
        ErrUnclosedBracket = -5,
        ErrMissingOperand = -6,
        ErrMissingOpperand = -7,
        ErrMissingOperation = -8,
        ErrMissingOperand2 = -9,
        ErrFunctionMissingOperand = -10,
        ErrFunctionMissingBracket = -11,
        ErrFactorialInvalidOperand = -12,
        ErrSqrtInvalidOperand = -13,
        ErrLnInvalidOperand = -14,
        ErrLogInvalidOperand = -15,
        ErrInverseInvalidOperand = -16,
        ErrOverflow = -17,
        ErrNaN = -18
    };

    // The process-wide instance, created (and initialised) on first use and never deleted.
    static CFormulaParser* m_Instance;
    static CFormulaParser* getInstance();

    CFormulaParser();

    // Builds the operator and function tables and the error texts; switches to degrees.
    void init();

    // Angle mode of SIN, COS, TAN and their inverses: false = degrees, true = radians.
    bool m_bRadians = false;
    void setRadians(bool radians) { m_bRadians = radians; }
    bool isRadians() const { return m_bRadians; }

    // The text of an error code; empty for 0 and for codes outside -18..-1.
    QString getErrorText(int code) const;

    // Evaluates a formula; on error returns 0.0 with the code in *error (error may be null).
    double calc(QString formula, int* error);

    // Cuts the text into objects (folding doubled signs in the text itself). Every list that is
    // given is cleared first (its records deleted); open, close and counter may be null.
    int parseFormulaObjectsIntoLists(QString* formula, QList<int>* open, QList<int>* close,
                                     QList<Opperand*>* operands, QList<Operation*>* operations,
                                     OperatorTypeCounter* counter);

    // The object that begins at pos + 1: its index within its list, kind 0 number, 1 binary
    // operator, 2 function, 3 "(", 4 ")"; -1 (kind -1) when no object begins there.
    int getNextFormulaObjectIndex(int pos, const QList<int>& open, const QList<int>& close,
                                  const QList<Opperand*>& operands,
                                  const QList<Operation*>& operations, int* kind) const;

    // Scans the formula in place into the four lists (left filled for the caller) and checks
    // its syntax; returns the first error found or 0.
    int checkFormulaForErrors(QString* formula, QList<int>* open, QList<int>* close,
                              QList<Opperand*>* operands, QList<Operation*>* operations);

    // Evaluates a text without brackets.
    double calcSimpleOperatorsExpression(QString expression, int* error);

    // Applies every operator of one precedence level (ids A and B) left to right.
    int calcBinaryTypeOperation(int operatorA, int operatorB, QString* expression,
                                QList<Opperand*>* operands, QList<Operation*>* operations,
                                OperatorTypeCounter* counter);

    // Resolves the marker "_" of one operand: removes it from the text and negates the value.
    void doIfInternalNegative(QList<Opperand*>* operands, Opperand* operand, QString* expression);

    // One function of the function table applied to x.
    double calcFunctionByType(int functionId, double x, int* error);

    // Index of a function name in the function table (case-insensitive), or -1.
    int functionIndex(const QString& name) const;
    // Index of an operator character in the operator table, or -1.
    int operatorIndex(QChar c) const;

private:
    void applyLeadingSign(QString* expression, QList<Opperand*>* operands,
                          QList<Operation*>* operations, OperatorTypeCounter* counter);
    int applyOperator(int operatorId, int operationIndex, bool signLevel, QString* expression,
                      QList<Opperand*>* operands, QList<Operation*>* operations,
                      OperatorTypeCounter* counter);
    int foldSigns(QString* text, int& p, QChar c, QList<Operation*>* operations,
                  OperatorTypeCounter* counter, QChar& prev);
    int objectEnd(int kind, int index, const QList<int>& open, const QList<int>& close,
                  const QList<Opperand*>& operands, const QList<Operation*>& operations) const;
    int checkSuccessor(int kind, int successorKind, int successorIndex,
                       const QList<Operation*>& operations) const;

    QStringList m_pFunctions;
    QStringList m_pOperators;
    QStringList m_ErrorTexts;
};

// Text of a value as the evaluator writes it back: fixed notation with 10 decimals.
QString FormulaNumberText(double value);
