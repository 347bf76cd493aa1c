#pragma once
// Keeps the machine from going to idle sleep while a logger is connected: the program calls
// UpdateSystemActivity every 30 s while one is.
class IKeepAwake
{
public:
    virtual ~IKeepAwake() = default;
    virtual void UpdateSystemActivity() = 0;
};

// Linux: desktops offer "xdg-screensaver reset" to count as user activity; without it (or
// without a display) the call only notes that it happened.
class CLinuxKeepAwake : public IKeepAwake
{
public:
    void UpdateSystemActivity() override;
    int calls() const { return m_Calls; }

private:
    int m_Calls = 0;
};
