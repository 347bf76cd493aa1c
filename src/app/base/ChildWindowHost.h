#pragma once
// What a child window needs of the area that hosts it: whether windows snap to the grid and
// the signal hub. The window manager implements it; tests host windows in a small fake.
class CKorvantaSignals;

class IChildWindowHost
{
public:
    virtual ~IChildWindowHost() = default;
    virtual bool AlignToGrid() const = 0;
    virtual CKorvantaSignals* GetSignals() const = 0;
};
