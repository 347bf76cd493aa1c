// Evaluation of calculator formulas: values, rounding of the write-back, angle modes and
// every error code an evaluation can raise.
#include "analysis/FormulaParser.h"

#include "common/TestMain.h"

class TestFormulaEval : public QObject
{
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void errors_data();
    void errors();
    void angleModes_data();
    void angleModes();
    void initReturnsToDegrees();
    void factorialIsExact();
    void functionTableDirectly();
    void simpleExpression();
    void internalNegative();
    void nullErrorPointer();
    void longAndForeignNumbers();
};

namespace {
void addValue(const char* formula, double value)
{
    QTest::newRow(formula) << QString::fromLatin1(formula) << value;
}
} // namespace

void TestFormulaEval::values_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<double>("value");
    addValue("2+3*4", 14);
    addValue("2^3^2", 64);
    addValue("8/4/2", 1);
    addValue("-2^2", -4);
    addValue("(0-2)^2", 4);
    addValue("-2*3", -6);
    addValue("2*(1-3)", -4);
    addValue("2-(0-5)", 7);
    addValue("-(-2)", 2);
    addValue("5--3", 8);
    addValue("5+-3", 2);
    addValue("5--(1+1)", 7);
    addValue("(-5+3)", -2);
    addValue("1/3*3", 0.9999999999);
    addValue("0.00000000001+0", 0);
    addValue("0.00000000001", 1e-11);
    addValue("DEG(180)", 3.1415926536);
    addValue("FACT(5)", 120);
    addValue("FACT(0)", 1);
    addValue("10-2-3", 5);
    addValue("1-5+2", -2);
    addValue("2*3-10", -4);
    addValue("ABS(0-3.5)", 3.5);
    addValue("abs(2)", 2);
    addValue("SQRT(16)+LOG(100)", 6);
    addValue("INVERSE(4)", 0.25);
    addValue("EXP(0)*LN(1)+7", 7);
    addValue("INT(2.7)", 2);
    addValue("INT(0-2.7)", -2);
    addValue("INT(2147483647)", 2147483647);
    addValue("RAD(1)", 57.2957795131);
    addValue("SINH(0)+COSH(0)+TANH(0)", 1);
    addValue("ARCSINH(0)+ARCCOSH(1)+ARCTANH(0)", 0);
    addValue("((((7))))", 7);
    addValue("-3*(0-2)", 6);
    // Sign chains fold with the sign that is left in the text.
    addValue("5-+-3", 8);
    addValue("5---3", 2);
    addValue("---5", -5);
    // A doubled minus right after "(" cancels out as it does at the start.
    addValue("(--5)", 5);
    addValue("2*(--3)", 6);
    addValue("2*(---3)", -6);
    // A fold at the start of a rewritten text used to leave a stale operator count behind
    // and the evaluation never ended.
    addValue("-2*(0-3)", 6);
    addValue("-2*(0-3)+1", 7);
    // A negative result below the "+"/"-" level stays one operand.
    addValue("2*(0-2)^3", -16);
    addValue("(0-2)^3^2", 64);
    addValue("2/(0-2)^3", -0.25);
    addValue("1+2*(0-1)*3", -5);
    addValue("1-2*(0-1)*3", 7);
    addValue("(0-2)*3", -6);
}

void TestFormulaEval::values()
{
    QFETCH(QString, formula);
    QFETCH(double, value);
    CFormulaParser parser;
    int error = 12345;
    const double result = parser.calc(formula, &error);
    QCOMPARE(error, 0);
    // Exact: every value above is what the 10-decimal write-back produces.
    QVERIFY2(result == value, qPrintable(QString::number(result, 'g', 17)));
}

void TestFormulaEval::errors_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("code");
    QTest::newRow("scan -1 joined brackets") << "(2)(3)" << -1;
    QTest::newRow("scan -2") << "2 + 3" << -2;
    QTest::newRow("scan -3") << "PI*2" << -3;
    QTest::newRow("check -4") << "((1)" << -4;
    QTest::newRow("check -5") << ")(" << -5;
    QTest::newRow("-6 empty") << "" << -6;
    QTest::newRow("-6 function alone") << "SIN" << -6;
    QTest::newRow("-7 function after operator") << "2+SIN" << -7;
    QTest::newRow("-7 operator after open") << "(*2)" << -7;
    QTest::newRow("-8") << "2(3)" << -8;
    QTest::newRow("-11") << "SIN30" << -11;
    QTest::newRow("-12 fraction") << "FACT(3.5)" << -12;
    QTest::newRow("-12 negative") << "FACT(0-1)" << -12;
    QTest::newRow("-12 beyond 32 bits") << "FACT(3000000000)" << -12;
    QTest::newRow("-13") << "SQRT(0-4)" << -13;
    QTest::newRow("-14") << "LN(0-1)" << -14;
    QTest::newRow("-15") << "LOG(0-1)" << -15;
    QTest::newRow("-16") << "INVERSE(0)" << -16;
    QTest::newRow("-17 ln zero") << "LN(0)" << -17;
    QTest::newRow("-17 log zero") << "LOG(0)" << -17;
    QTest::newRow("-17 divide by zero") << "1/0" << -17;
    QTest::newRow("-17 power") << "10^400" << -17;
    QTest::newRow("-17 exp") << "EXP(1000)" << -17;
    QTest::newRow("-17 factorial above 20") << "FACT(21)" << -17;
    QTest::newRow("-17 int beyond 32 bits") << "INT(3000000000)" << -17;
    QTest::newRow("-17 int below 32 bits") << "INT(0-3000000000)" << -17;
    QTest::newRow("-18 zero by zero") << "0/0" << -18;
    QTest::newRow("-18 arcsin") << "ARCSIN(2)" << -18;
    QTest::newRow("-18 arccosh") << "ARCCOSH(0)" << -18;
    QTest::newRow("-18 negative base") << "(0-8)^0.5" << -18;
    QTest::newRow("marker without number") << "_" << -7;
}

void TestFormulaEval::errors()
{
    QFETCH(QString, formula);
    QFETCH(int, code);
    CFormulaParser parser;
    int error = 0;
    QCOMPARE(parser.calc(formula, &error), 0.0);
    QCOMPARE(error, code);
    QVERIFY(!parser.getErrorText(error).isEmpty());
}

void TestFormulaEval::angleModes_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<bool>("radians");
    QTest::addColumn<double>("value");
    QTest::newRow("sin deg") << "SIN(30)" << false << 0.5;
    QTest::newRow("cos deg") << "COS(60)" << false << 0.5;
    QTest::newRow("tan deg") << "TAN(45)" << false << 1.0;
    QTest::newRow("arcsin deg") << "ARCSIN(1)" << false << 90.0;
    QTest::newRow("arccos deg") << "ARCCOS(0)" << false << 90.0;
    QTest::newRow("arctan deg") << "ARCTAN(1)" << false << 45.0;
    QTest::newRow("arctan rad") << "ARCTAN(1)" << true << 0.7853981634;
    QTest::newRow("sin rad") << "SIN(DEG(30))" << true << 0.5;
    QTest::newRow("cos rad") << "COS(0)" << true << 1.0;
    QTest::newRow("deg either") << "DEG(180)" << true << 3.1415926536;
    QTest::newRow("rad either") << "RAD(DEG(90))" << false << 90.0000000003; // 1.5707963268 written back
    QTest::newRow("sinh never converts") << "SINH(1)" << false << 1.1752011936;
    QTest::newRow("nested inner first") << "sin(cos(0))" << false << 0.0174524064;
    QTest::newRow("nested rad") << "sin(cos(0))" << true << 0.8414709848;
}

void TestFormulaEval::angleModes()
{
    QFETCH(QString, formula);
    QFETCH(bool, radians);
    QFETCH(double, value);
    CFormulaParser parser;
    parser.setRadians(radians);
    int error = 1;
    const double result = parser.calc(formula, &error);
    QCOMPARE(error, 0);
    QVERIFY2(result == value, qPrintable(QString::number(result, 'g', 17)));
}

void TestFormulaEval::initReturnsToDegrees()
{
    CFormulaParser parser;
    parser.m_bRadians = true;
    int error = 0;
    QCOMPARE(parser.calc(QStringLiteral("ARCTAN(1)"), &error), 0.7853981634);
    parser.init();
    QVERIFY(!parser.m_bRadians);
    QCOMPARE(parser.calc(QStringLiteral("ARCTAN(1)"), &error), 45.0);
}

void TestFormulaEval::factorialIsExact()
{
    CFormulaParser parser;
    int error = 1;
    // 12! and 20! through the floating gamma function come out one off on some platforms.
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnFact, 12, &error), 479001600.0);
    QCOMPARE(error, 0);
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnFact, 20, &error),
             2432902008176640000.0);
    QCOMPARE(error, 0);
    QCOMPARE(qint64(parser.calcFunctionByType(CFormulaParser::FnFact, 13, &error)),
             Q_INT64_C(6227020800));
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnFact, 21, &error), 0.0);
    QCOMPARE(error, -17);
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnFact, qQNaN(), &error), 0.0);
    QCOMPARE(error, -12);
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnFact, qInf(), &error), 0.0);
    QCOMPARE(error, -12);
    QCOMPARE(parser.calc(QStringLiteral("FACT(12)"), &error), 479001600.0);
    QCOMPARE(error, 0);
}

void TestFormulaEval::functionTableDirectly()
{
    CFormulaParser parser;
    int error = 1;
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnInt, qQNaN(), &error), 0.0);
    QCOMPARE(error, -18);
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnInt, -2147483648.0, &error),
             -2147483648.0);
    QCOMPARE(error, 0);
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnInt, 2147483648.0, &error), 0.0);
    QCOMPARE(error, -17);
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnSqrt, qQNaN(), &error), 0.0);
    QCOMPARE(error, -18);
    QCOMPARE(parser.calcFunctionByType(99, 1.0, &error), 0.0);
    QCOMPARE(error, -3);
    QCOMPARE(parser.calcFunctionByType(CFormulaParser::FnAbs, -0.5, &error), 0.5);
    QCOMPARE(error, 0);
}

void TestFormulaEval::simpleExpression()
{
    CFormulaParser parser;
    int error = 1;
    QCOMPARE(parser.calcSimpleOperatorsExpression(QStringLiteral("3_"), &error), -3.0);
    QCOMPARE(error, 0);
    QCOMPARE(parser.calcSimpleOperatorsExpression(QStringLiteral("-3_"), &error), 3.0);
    QCOMPARE(parser.calcSimpleOperatorsExpression(QStringLiteral("2_*3_"), &error), 6.0);
    QCOMPARE(parser.calcSimpleOperatorsExpression(QStringLiteral("5+3_"), &error), 2.0);
    QCOMPARE(parser.calcSimpleOperatorsExpression(QStringLiteral("5-3_"), &error), 8.0);
    QCOMPARE(parser.calcSimpleOperatorsExpression(QStringLiteral("4_^2"), &error), 16.0);
    QCOMPARE(parser.calcSimpleOperatorsExpression(QStringLiteral("5+"), &error), 0.0);
    QCOMPARE(error, -7);
    QCOMPARE(parser.calcSimpleOperatorsExpression(QStringLiteral("+"), &error), 0.0);
    QCOMPARE(error, -6);
}

void TestFormulaEval::internalNegative()
{
    CFormulaParser parser;
    QList<CFormulaParser::Opperand*> operands;
    QList<CFormulaParser::Operation*> operations;
    QString text = QStringLiteral("12_*3_");
    QCOMPARE(parser.parseFormulaObjectsIntoLists(&text, nullptr, nullptr, &operands,
                                                 &operations, nullptr),
             0);
    parser.doIfInternalNegative(&operands, operands[0], &text);
    QCOMPARE(text, QStringLiteral("12*3_"));
    QCOMPARE(operands[0]->value, -12.0);
    QVERIFY(!operands[0]->isNegative);
    QCOMPARE(operands[0]->end, 1);
    QCOMPARE(operands[1]->start, 3);
    // An operand without the marker is left alone.
    parser.doIfInternalNegative(&operands, operands[0], &text);
    QCOMPARE(operands[0]->value, -12.0);
    QCOMPARE(text, QStringLiteral("12*3_"));
    qDeleteAll(operands);
    qDeleteAll(operations);
}

void TestFormulaEval::nullErrorPointer()
{
    CFormulaParser parser;
    QCOMPARE(parser.calc(QStringLiteral("1+1"), nullptr), 2.0);
    QCOMPARE(parser.calc(QStringLiteral("1/0"), nullptr), 0.0);
}

void TestFormulaEval::longAndForeignNumbers()
{
    CFormulaParser parser;
    int error = 1;
    const QString longOne = QStringLiteral("1.") + QString(300, QLatin1Char('0'));
    QCOMPARE(parser.calc(longOne + QStringLiteral("+1"), &error), 2.0);
    QCOMPARE(error, 0);
    // A decimal digit of another script is a digit to the scanner but converts to no number.
    QCOMPARE(parser.calc(QString::fromUtf8("\u0663+1"), &error), 0.0);
    QCOMPARE(error, -1);
    QCOMPARE(parser.calc(QStringLiteral("7."), &error), 7.0);
    QCOMPARE(error, 0);
}

KORVANTA_TEST_GUILESS_MAIN(TestFormulaEval)
#include "tst_formula_eval.moc"
