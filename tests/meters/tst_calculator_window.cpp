// The calculator window: key sequences and where they leave the cursor, evaluation results and
// error texts, Back and Clear, and an angle mode that belongs to each window.
#include "support/MeterRig.h"
#include "table/Calculator.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include "common/TestMain.h"

class TestCalculatorWindow : public QObject
{
    Q_OBJECT

    struct Calc
    {
        CCalculator* window;
        explicit Calc(CMeterRig& rig) : window(new CCalculator(&rig, Qt::WindowFlags()))
        {
            rig.addSubWindow(window);
            window->initWindow();
        }
        QLineEdit* expression() const { return window->findChild<QLineEdit*>(QStringLiteral("display_excercise")); }
        QString answer() const { return window->findChild<QLineEdit*>(QStringLiteral("display_answer"))->text(); }
        void press(const char* key) const
        {
            auto* button = window->findChild<QPushButton*>(QString::fromLatin1(key));
            QVERIFY2(button, key);
            button->click();
        }
        void type(const QString& text) const
        {
            expression()->setFocus();
            QTest::keyClicks(expression(), text);
        }
        void radio(const char* name) const { window->findChild<QRadioButton*>(QString::fromLatin1(name))->click(); }
    };

private slots:
    void functionKeyPutsTheCursorInsideItsBrackets()
    {
        CMeterRig rig;
        Calc c(rig);
        c.type("2*");
        c.press("btn_sin");
        QCOMPARE(c.expression()->text(), QStringLiteral("2*SIN()"));
        QCOMPARE(c.expression()->cursorPosition(), 6);
    }

    void sineOfThirtyDegrees()
    {
        CMeterRig rig;
        Calc c(rig);
        c.press("btn_sin");
        c.type("30");
        c.press("btn_equal");
        QCOMPARE(c.answer(), QStringLiteral("0.5"));
        QCOMPARE(c.expression()->text(), QStringLiteral("SIN(30)"));
    }

    void brackets()
    {
        CMeterRig rig;
        Calc c(rig);
        c.type("2");
        c.press("btn_leftBracket");
        QCOMPARE(c.expression()->text(), QStringLiteral("2("));
        QCOMPARE(c.expression()->cursorPosition(), 2);
        c.expression()->setText(QStringLiteral("(1+2"));
        c.expression()->setCursorPosition(4);
        c.press("btn_rightBracket");
        QCOMPARE(c.expression()->text(), QStringLiteral("(1+2)"));
        QCOMPARE(c.expression()->cursorPosition(), 4);
    }

    void keyInsertsAtTheCursor()
    {
        CMeterRig rig;
        Calc c(rig);
        c.type("12");
        c.expression()->setCursorPosition(1);
        c.press("btn_digit_5");
        QCOMPARE(c.expression()->text(), QStringLiteral("152"));
        QCOMPARE(c.expression()->cursorPosition(), 2);
    }

    void backRemovesTheLastCharacter_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("three") << "12+" << "12";
        QTest::newRow("one") << "7" << "";
        QTest::newRow("empty") << "" << "";
    }
    void backRemovesTheLastCharacter()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        CMeterRig rig;
        Calc c(rig);
        c.expression()->setText(before);
        c.expression()->setCursorPosition(0);
        c.press("btn_back");
        QCOMPARE(c.expression()->text(), after);
    }

    void clearEmptiesBothLinesAndKeepsTheMode()
    {
        CMeterRig rig;
        Calc c(rig);
        c.radio("rb_radians");
        c.type("1+1");
        c.press("btn_equal");
        QCOMPARE(c.answer(), QStringLiteral("2"));
        c.press("btn_clear");
        QCOMPARE(c.expression()->text(), QString());
        QCOMPARE(c.answer(), QString());
        QVERIFY(c.window->isRadians());
    }

    void results_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one third") << "1/3" << "0.3333333333";
        QTest::newRow("large") << "10^20" << "1e+20";
        QTest::newRow("keys") << "SQRT(16)+FACT(3)" << "10";
        QTest::newRow("lower case") << "sqrt(4)" << "2";
        QTest::newRow("bracket left open") << "(1+2" << "Missing Bracket";
        QTest::newRow("square root of a negative") << "SQRT(0-4)" << "SQRT Invalid Operand";
    }
    void results()
    {
        QFETCH(QString, formula);
        QFETCH(QString, shown);
        CMeterRig rig;
        Calc c(rig);
        c.expression()->setText(formula);
        c.press("btn_equal");
        QCOMPARE(c.answer(), shown);
    }

    void failureKeepsTheLastValue()
    {
        CMeterRig rig;
        Calc c(rig);
        c.expression()->setText(QStringLiteral("6*7"));
        QTest::keyClick(c.expression(), Qt::Key_Return);
        QCOMPARE(c.answer(), QStringLiteral("42"));
        c.expression()->setText(QStringLiteral("6*"));
        c.press("btn_equal");
        QVERIFY(!c.window->lastAnswer().valid);
        QCOMPARE(c.window->lastAnswer().value, 42.0);
        QVERIFY(!c.window->lastAnswer().errorText.isEmpty());
        QCOMPARE(c.answer(), c.window->lastAnswer().errorText);
    }

    void errorTexts()
    {
        CMeterRig rig;
        Calc c(rig);
        QCOMPARE(c.window->getErrorText(-1), QStringLiteral("Invalid opperand"));
        QCOMPARE(c.window->getErrorText(-18), QStringLiteral("NaN"));
        QCOMPARE(c.window->getErrorText(0), QString());
        QCOMPARE(c.window->getErrorText(-19), QString());
    }

    void validatorRefusesBlanksAndOtherCharacters()
    {
        CMeterRig rig;
        Calc c(rig);
        c.type("1 + 2;x");
        QCOMPARE(c.expression()->text(), QStringLiteral("1+2x"));
        c.expression()->clear();
        c.type(QString(300, QLatin1Char('1')));
        QCOMPARE(c.expression()->text().size(), 255);
    }

    void angleModeBelongsToEachWindow()
    {
        CMeterRig rig;
        Calc first(rig);
        first.radio("rb_radians");
        Calc second(rig); // a new calculator starts in degrees, and leaves the first in radians
        first.expression()->setText(QStringLiteral("COS(0)+SIN(90)"));
        first.press("btn_equal");
        second.expression()->setText(QStringLiteral("SIN(90)"));
        second.press("btn_equal");
        QCOMPARE(second.answer(), QStringLiteral("1"));
        QVERIFY(first.answer() != QStringLiteral("2"));
        QCOMPARE(first.answer(), CCalculator::ValueText(1.0 + std::sin(90.0)));
        QVERIFY(first.window->findChild<QRadioButton*>(QStringLiteral("rb_radians"))->isChecked());
        first.radio("rb_degrees");
        first.press("btn_equal");
        QCOMPARE(first.answer(), QStringLiteral("2"));
    }
};

KORVANTA_TEST_MAIN(TestCalculatorWindow)
#include "tst_calculator_window.moc"
