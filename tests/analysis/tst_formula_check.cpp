// Scanner and syntax check of the calculator's formula parser.
#include "analysis/FormulaParser.h"

#include "common/TestMain.h"

using Parser = CFormulaParser;

namespace {

struct Scan
{
    QList<int> open;
    QList<int> close;
    QList<Parser::Opperand*> operands;
    QList<Parser::Operation*> operations;
    Parser::OperatorTypeCounter counter;
    ~Scan()
    {
        qDeleteAll(operands);
        qDeleteAll(operations);
    }
};

} // namespace

class TestFormulaCheck : public QObject
{
    Q_OBJECT

private slots:
    void scanErrors_data();
    void scanErrors();
    void signFolding_data();
    void signFolding();
    void scanRecordsPositionsAndText();
    void scanCountsOperatorsAfterFolding();
    void markerFollowsLastOperand();
    void nextObjectByPosition();
    void check_data();
    void check();
    void checkLeavesFoldedTextAndLists();
    void errorTexts();
    void instanceIsShared();
};

void TestFormulaCheck::scanErrors_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("code");
    QTest::newRow("space") << "5 + 3" << -2;
    QTest::newRow("comma") << "5,3" << -2;
    QTest::newRow("leading point") << ".5" << -2;
    QTest::newRow("two points") << "1.2.3" << -1;
    QTest::newRow("exponent") << "1e5" << -3;
    QTest::newRow("named constant") << "PI" << -3;
    QTest::newRow("percent") << "5%" << -2;
    QTest::newRow("huge number") << QString(400, QLatin1Char('9')) << -1;
    QTest::newRow("marker before any number") << "_5" << -7;
    QTest::newRow("marker after bracket only") << "(_)" << -7;
    QTest::newRow("plain") << "2+3*4" << 0;
    QTest::newRow("marker after number") << "5_" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestFormulaCheck::scanErrors()
{
    QFETCH(QString, formula);
    QFETCH(int, code);
    Parser parser;
    Scan s;
    QCOMPARE(parser.parseFormulaObjectsIntoLists(&formula, &s.open, &s.close, &s.operands,
                                                 &s.operations, &s.counter),
             code);
}

void TestFormulaCheck::signFolding_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("folded");
    QTest::newRow("minus minus") << "5--3" << "5+3";
    QTest::newRow("plus minus") << "5+-3" << "5-3";
    QTest::newRow("minus plus") << "5-+3" << "5-3";
    QTest::newRow("plus plus") << "5++3" << "5+3";
    QTest::newRow("leading minus minus") << "--5" << "5";
    // A third sign folds with the sign that is really left in the text.
    QTest::newRow("minus plus minus") << "5-+-3" << "5+3";
    QTest::newRow("three minus") << "5---3" << "5-3";
    QTest::newRow("three leading minus") << "---5" << "-5";
    QTest::newRow("four leading minus") << "----5" << "5";
    QTest::newRow("sign after star stays") << "5*-3" << "5*-3";
    QTest::newRow("inside bracket") << "(5--3)" << "(5+3)";
    QTest::newRow("after open bracket") << "2*(--3)" << "2*(3)";
    QTest::newRow("three after open bracket") << "(---3)" << "(-3)";
}

void TestFormulaCheck::signFolding()
{
    QFETCH(QString, formula);
    QFETCH(QString, folded);
    Parser parser;
    Scan s;
    QCOMPARE(parser.parseFormulaObjectsIntoLists(&formula, &s.open, &s.close, &s.operands,
                                                 &s.operations, &s.counter),
             0);
    QCOMPARE(formula, folded);
    // The records describe the folded text.
    for (const Parser::Operation* op : qAsConst(s.operations))
        QCOMPARE(formula.mid(op->start, op->end - op->start + 1), op->text);
    for (const Parser::Opperand* operand : qAsConst(s.operands))
        QCOMPARE(formula.mid(operand->start, operand->end - operand->start + 1), operand->text);
}

void TestFormulaCheck::scanRecordsPositionsAndText()
{
    Parser parser;
    Scan s;
    QString formula = QStringLiteral("sin(30)+12.5_*Sqrt(4)");
    QCOMPARE(parser.parseFormulaObjectsIntoLists(&formula, &s.open, &s.close, &s.operands,
                                                 &s.operations, &s.counter),
             0);
    QCOMPARE(s.open, (QList<int>{3, 18}));
    QCOMPARE(s.close, (QList<int>{6, 20}));
    QCOMPARE(s.operands.size(), 3);
    QCOMPARE(s.operands[0]->start, 4);
    QCOMPARE(s.operands[0]->end, 5);
    QCOMPARE(s.operands[0]->value, 30.0);
    QCOMPARE(s.operands[1]->text, QStringLiteral("12.5"));
    QCOMPARE(s.operands[1]->start, 8);
    QCOMPARE(s.operands[1]->end, 11);
    QVERIFY(s.operands[1]->isNegative);
    QVERIFY(!s.operands[0]->isNegative);
    QCOMPARE(s.operations.size(), 4);
    QCOMPARE(s.operations[0]->text, QStringLiteral("sin"));
    QVERIFY(s.operations[0]->isFunction);
    QCOMPARE(s.operations[0]->end, 2);
    QCOMPARE(s.operations[1]->text, QStringLiteral("+"));
    QVERIFY(!s.operations[1]->isFunction);
    QCOMPARE(s.operations[1]->start, 7);
    QCOMPARE(s.operations[2]->text, QStringLiteral("*"));
    QCOMPARE(s.operations[3]->text, QStringLiteral("Sqrt"));
    QCOMPARE(parser.functionIndex(s.operations[3]->text), int(Parser::FnSqrt));
    // Functions are not operators: only "+" and "*" are counted.
    QCOMPARE(s.counter.count(Parser::OpPlus), 1);
    QCOMPARE(s.counter.count(Parser::OpMultiply), 1);
    QCOMPARE(s.counter.count(Parser::OpMinus), 0);
}

void TestFormulaCheck::scanCountsOperatorsAfterFolding()
{
    Parser parser;
    Scan s;
    QString formula = QStringLiteral("--6*2-+-1+-3");
    QCOMPARE(parser.parseFormulaObjectsIntoLists(&formula, nullptr, nullptr, &s.operands,
                                                 &s.operations, &s.counter),
             0);
    QCOMPARE(formula, QStringLiteral("6*2+1-3"));
    QCOMPARE(s.counter.count(Parser::OpPlus), 1);
    QCOMPARE(s.counter.count(Parser::OpMinus), 1);
    QCOMPARE(s.counter.count(Parser::OpMultiply), 1);

    Parser::OperatorTypeCounter counter;
    counter.addToCount(QStringLiteral("^"));
    counter.addToCount(QStringLiteral("^"));
    counter.addToCount(QStringLiteral("SIN"));
    QCOMPARE(counter.count(Parser::OpPower), 2);
    QCOMPARE(counter.count(Parser::OpPlus), 0);
}

void TestFormulaCheck::markerFollowsLastOperand()
{
    Parser parser;
    Scan s;
    QString formula = QStringLiteral("3_+4");
    QCOMPARE(parser.parseFormulaObjectsIntoLists(&formula, nullptr, nullptr, &s.operands,
                                                 &s.operations, nullptr),
             0);
    QVERIFY(s.operands[0]->isNegative);
    QVERIFY(!s.operands[1]->isNegative);
    // A rescan clears the lists before filling them again.
    formula = QStringLiteral("7");
    QCOMPARE(parser.parseFormulaObjectsIntoLists(&formula, nullptr, nullptr, &s.operands,
                                                 &s.operations, nullptr),
             0);
    QCOMPARE(s.operands.size(), 1);
    QVERIFY(s.operations.isEmpty());
}

void TestFormulaCheck::nextObjectByPosition()
{
    Parser parser;
    Scan s;
    QString formula = QStringLiteral("SIN(2)+33_");
    QCOMPARE(parser.parseFormulaObjectsIntoLists(&formula, &s.open, &s.close, &s.operands,
                                                 &s.operations, nullptr),
             0);
    int kind = 99;
    QCOMPARE(parser.getNextFormulaObjectIndex(-1, s.open, s.close, s.operands, s.operations,
                                              &kind), 0);
    QCOMPARE(kind, 2);
    QCOMPARE(parser.getNextFormulaObjectIndex(2, s.open, s.close, s.operands, s.operations,
                                              &kind), 0);
    QCOMPARE(kind, 3);
    QCOMPARE(parser.getNextFormulaObjectIndex(3, s.open, s.close, s.operands, s.operations,
                                              &kind), 0);
    QCOMPARE(kind, 0);
    QCOMPARE(parser.getNextFormulaObjectIndex(4, s.open, s.close, s.operands, s.operations,
                                              &kind), 0);
    QCOMPARE(kind, 4);
    QCOMPARE(parser.getNextFormulaObjectIndex(5, s.open, s.close, s.operands, s.operations,
                                              &kind), 1);
    QCOMPARE(kind, 1);
    QCOMPARE(parser.getNextFormulaObjectIndex(6, s.open, s.close, s.operands, s.operations,
                                              &kind), 1);
    QCOMPARE(kind, 0);
    // Inside a number, and on the marker, no object begins.
    QCOMPARE(parser.getNextFormulaObjectIndex(7, s.open, s.close, s.operands, s.operations,
                                              &kind), -1);
    QCOMPARE(kind, -1);
    QCOMPARE(parser.getNextFormulaObjectIndex(8, s.open, s.close, s.operands, s.operations,
                                              &kind), -1);
}

void TestFormulaCheck::check_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("code");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("negative number") << "-5" << 0;
    QTest::newRow("function") << "SIN(30)" << 0;
    QTest::newRow("bracketed sign") << "(-2)" << 0;
    QTest::newRow("leading plus") << "+5" << -7;
    QTest::newRow("leading star") << "*5" << -7;
    QTest::newRow("leading power") << "^5" << -7;
    QTest::newRow("one bracket short") << "((1)" << -4;
    QTest::newRow("close before open") << ")(" << -5;
    QTest::newRow("lone open") << "(" << -4;
    QTest::newRow("empty brackets") << "()" << -7;
    QTest::newRow("operator after open") << "(*2)" << -7;
    QTest::newRow("number before bracket") << "2(3)" << -8;
    QTest::newRow("number before function") << "2SIN(30)" << -8;
    QTest::newRow("bracket before number") << "(2)3" << -8;
    QTest::newRow("bracket before function") << "(1)SIN(2)" << -8;
    QTest::newRow("function without bracket") << "SIN30" << -11;
    QTest::newRow("function before sign") << "SIN-1" << -11;
    QTest::newRow("sign after star") << "5*-3" << -7;
    QTest::newRow("sign after power") << "5^-2" << -7;
    QTest::newRow("double minus") << "5--3" << 0;
    QTest::newRow("trailing plus") << "5+" << -7;
    QTest::newRow("joined brackets") << "(2)(3)" << 0;
    QTest::newRow("trailing function") << "2+SIN" << 0;
    QTest::newRow("scan error first") << "(5 " << -2;
    QTest::newRow("nested") << "2*(1-(3+4))/SQRT(16)" << 0;
    QTest::newRow("open at end") << "2+(" << -4;
    QTest::newRow("third close early") << "(1))(" << -5;
}

void TestFormulaCheck::check()
{
    QFETCH(QString, formula);
    QFETCH(int, code);
    Parser parser;
    Scan s;
    QCOMPARE(parser.checkFormulaForErrors(&formula, &s.open, &s.close, &s.operands,
                                          &s.operations),
             code);
}

void TestFormulaCheck::checkLeavesFoldedTextAndLists()
{
    Parser parser;
    Scan s;
    QString formula = QStringLiteral("5--(1+1)");
    QCOMPARE(parser.checkFormulaForErrors(&formula, &s.open, &s.close, &s.operands,
                                          &s.operations),
             0);
    QCOMPARE(formula, QStringLiteral("5+(1+1)"));
    QCOMPARE(s.open, QList<int>{2});
    QCOMPARE(s.close, QList<int>{6});
    QCOMPARE(s.operands.size(), 3);
    QCOMPARE(s.operations.size(), 2);
}

void TestFormulaCheck::errorTexts()
{
    Parser parser;
    const char* const expected[] = {
        "Invalid opperand", "Unknown Operator", "Unknown Function", "Missing Bracket",
        "Unclosed Bracket", "Missing Operand", "Missing Opperand", "Missing Operation",
        "Missing Operand", "Function Missing Operand", "Function Missing Bracket",
        "Factorial Invalid Operand", "SQRT Invalid Operand", "LN Invalid Operand",
        "LOG Invalid Operand", "INVERSE Invalid Operand", "Overflow", "NaN"};
    for (int k = 1; k <= 18; ++k)
        QCOMPARE(parser.getErrorText(-k), QString::fromLatin1(expected[k - 1]));
    QVERIFY(parser.getErrorText(0).isEmpty());
    QVERIFY(parser.getErrorText(-19).isEmpty());
    QVERIFY(parser.getErrorText(1).isEmpty());
}

void TestFormulaCheck::instanceIsShared()
{
    Parser* first = Parser::getInstance();
    QVERIFY(first);
    QCOMPARE(Parser::getInstance(), first);
    QCOMPARE(Parser::m_Instance, first);
    QVERIFY(!first->isRadians());
}

KORVANTA_TEST_GUILESS_MAIN(TestFormulaCheck)
#include "tst_formula_check.moc"
