#pragma once
// How the thumbnail window tells the window that drives it that it was shown or hidden.
#include <windows.h>

class CThumbnailListener {
public:
    // TRUE shown, FALSE hidden.
    virtual void OnThumbnailDisplayChanged(BOOL shown) { (void)shown; }

protected:
    // Never deleted through this face: the listener is a base of a window object owned elsewhere.
    ~CThumbnailListener() = default;
};
