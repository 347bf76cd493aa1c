// The ribbon's actions: key, text and the four pictures (normal, pressed, hover, disabled).
#pragma once

struct RibbonActionEntry
{
    int key;
    const char* text;
    const char* normal;
    const char* pressed;
    const char* hover;
    const char* disabled;
};

static const RibbonActionEntry s_BasicToolsEntries[] = {
    {7, QT_TRANSLATE_NOOP("MainWindow", "&New"), ":/images/BasicFunctionsBar/New_Normal.png",
     ":/images/BasicFunctionsBar/New_Press.png",
     ":/images/BasicFunctionsBar/New_Rollover.png",
     ":/images/BasicFunctionsBar/New_Disabled.png"},
    {1, QT_TRANSLATE_NOOP("MainWindow", "&Open..."), ":/images/BasicFunctionsBar/Open_Normal.png",
     ":/images/BasicFunctionsBar/Open_Press.png",
     ":/images/BasicFunctionsBar/Open_Rollover.png",
     ":/images/BasicFunctionsBar/Open_Disabled.png"},
    {8, QT_TRANSLATE_NOOP("MainWindow", "&Save"), ":/images/BasicFunctionsBar/Save_Normal.png",
     ":/images/BasicFunctionsBar/Save_Press.png",
     ":/images/BasicFunctionsBar/Save_Rollover.png",
     ":/images/BasicFunctionsBar/Save_Disabled.png"},
};

static const RibbonActionEntry s_WorkSpaceEntries[] = {
    {19, QT_TRANSLATE_NOOP("MainWindow", "History Window"), ":/images/WorkingSpaceBar/History_Normal.png",
     ":/images/WorkingSpaceBar/History_Press.png",
     ":/images/WorkingSpaceBar/History_Rollover.png",
     ":/images/WorkingSpaceBar/History_Disabled.png"},
    {20, QT_TRANSLATE_NOOP("MainWindow", "Setup Window"), ":/images/WorkingSpaceBar/Setup_Normal.png",
     ":/images/WorkingSpaceBar/Setup_Press.png",
     ":/images/WorkingSpaceBar/Setup_Rollover.png",
     ":/images/WorkingSpaceBar/Setup_Disabled.png"},
    {22, QT_TRANSLATE_NOOP("MainWindow", "Graph Window"), ":/images/WorkingSpaceBar/Graph_Normal.png",
     ":/images/WorkingSpaceBar/Graph_Press.png",
     ":/images/WorkingSpaceBar/Graph_Rollover.png",
     ":/images/WorkingSpaceBar/Graph_Disabled.png"},
    {21, QT_TRANSLATE_NOOP("MainWindow", "Table Window"), ":/images/WorkingSpaceBar/Table_Normal.png",
     ":/images/WorkingSpaceBar/Table_Press.png",
     ":/images/WorkingSpaceBar/Table_Rollover.png",
     ":/images/WorkingSpaceBar/Table_Disabled.png"},
    {23, QT_TRANSLATE_NOOP("MainWindow", "Meter Window"), ":/images/WorkingSpaceBar/Meters_Normal.png",
     ":/images/WorkingSpaceBar/Meters_Press.png",
     ":/images/WorkingSpaceBar/Meters_Rollover.png",
     ":/images/WorkingSpaceBar/Meters_Disabled.png"},
    {24, QT_TRANSLATE_NOOP("MainWindow", "Video Window"), ":/images/WorkingSpaceBar/Webcam_Normal.png",
     ":/images/WorkingSpaceBar/Webcam_Press.png",
     ":/images/WorkingSpaceBar/Webcam_Rollover.png",
     ":/images/WorkingSpaceBar/Webcam_Disabled.png"},
    {25, QT_TRANSLATE_NOOP("MainWindow", "Calculator Window"), ":/images/WorkingSpaceBar/Calculator_Normal.png",
     ":/images/WorkingSpaceBar/Calculator_Press.png",
     ":/images/WorkingSpaceBar/Calculator_Rollover.png",
     ":/images/WorkingSpaceBar/Calculator_Disabled.png"},
    {26, QT_TRANSLATE_NOOP("MainWindow", "notes"), ":/images/WorkingSpaceBar/Notes_Normal.png",
     ":/images/WorkingSpaceBar/Notes_Press.png",
     ":/images/WorkingSpaceBar/Notes_Rollover.png",
     ":/images/WorkingSpaceBar/Notes_Disabled.png"},
    {27, QT_TRANSLATE_NOOP("MainWindow", "Align to Grid"), ":/images/WorkingSpaceBar/Align_Normal.png",
     ":/images/WorkingSpaceBar/Align_Press.png",
     ":/images/WorkingSpaceBar/Align_Rollover.png",
     ":/images/WorkingSpaceBar/Align_Disabled.png"},
};

static const RibbonActionEntry s_AnalysisEntries[] = {
    {28, QT_TRANSLATE_NOOP("MainWindow", "Curve fit"), ":/images/AnalysisBar/Curve-fit_Normal.png",
     ":/images/AnalysisBar/Curve-fit_press.png",
     ":/images/AnalysisBar/Curve-fit_hover.png",
     ":/images/AnalysisBar/Curve-fit_Disabled.png"},
    {32, QT_TRANSLATE_NOOP("MainWindow", "Statistics"), ":/images/AnalysisBar/Statistics_Normal.png",
     ":/images/AnalysisBar/Statistics_press.png",
     ":/images/AnalysisBar/Statistics_hover.png",
     ":/images/AnalysisBar/Statistics_Disabled.png"},
    {33, QT_TRANSLATE_NOOP("MainWindow", "Math functions"), ":/images/AnalysisBar/Math-Function_Normal.png",
     ":/images/AnalysisBar/Math-Function_press.png",
     ":/images/AnalysisBar/Math-Function_hover.png",
     ":/images/AnalysisBar/Math-Function_Disabled.png"},
    {36, QT_TRANSLATE_NOOP("MainWindow", "Slope"), ":/images/AnalysisBar/Slope_Normal.png",
     ":/images/AnalysisBar/Slope_press.png",
     ":/images/AnalysisBar/Slope_hover.png",
     ":/images/AnalysisBar/Slope_Disabled.png"},
    {37, QT_TRANSLATE_NOOP("MainWindow", "Area"), ":/images/AnalysisBar/Area_Normal.png",
     ":/images/AnalysisBar/Area_press.png",
     ":/images/AnalysisBar/Area_hover.png",
     ":/images/AnalysisBar/Area_Disabled.png"},
    {38, QT_TRANSLATE_NOOP("MainWindow", "Average"), ":/images/AnalysisBar/Averaging_Normal.png",
     ":/images/AnalysisBar/Averaging_press.png",
     ":/images/AnalysisBar/Averaging_hover.png",
     ":/images/AnalysisBar/Averaging_Disabled.png"},
    {39, QT_TRANSLATE_NOOP("MainWindow", "Photogate"), ":/images/AnalysisBar/Photogate_Normal.png",
     ":/images/AnalysisBar/Photogate_press.png",
     ":/images/AnalysisBar/Photogate_hover.png",
     ":/images/AnalysisBar/Photogate_Disabled.png"},
};
