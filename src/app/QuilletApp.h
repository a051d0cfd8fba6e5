#pragma once
#include "framework/WinApp.h"

class CQuilletApp : public CWinAppEx {
public:
    BOOL InitInstance() override;
};
