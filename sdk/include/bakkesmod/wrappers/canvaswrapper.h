// Handle of the canvas a drawable draws on during one frame.
#pragma once
#include <string>

#include "wrapperstructs.h"

class BAKKESMOD_PLUGIN_IMPORT CanvasWrapper {
public:
    CONSTRUCTORS(CanvasWrapper)

    // Canvas size in pixels.
    Vector2 GetSize();
    void SetPosition(Vector2F pos);
    void SetPosition(Vector2 pos);
    Vector2 GetPosition();
    Vector2F GetPositionFloat();
    // Components 0-255; char is signed on the host's compiler, so values above 127 wrap.
    void SetColor(char Red, char Green, char Blue, char Alpha);
    void SetColor(LinearColor color);
    void DrawString(std::string text);
    void DrawString(std::string text, float xScale, float yScale);
    void DrawString(std::string text, float xScale, float yScale, bool dropShadow,
                    bool wrapText = false);
    Vector2F GetStringSize(std::string text, float xScale = 1, float yScale = 1);
    void FillBox(Vector2F size);
    void FillBox(Vector2 size);
    void DrawBox(Vector2F size);
    void DrawBox(Vector2 size);
    void DrawLine(Vector2F start, Vector2F end);
    void DrawLine(Vector2F start, Vector2F end, float width);
    void DrawLine(Vector2 start, Vector2 end);
    void DrawLine(Vector2 start, Vector2 end, float width);
    void DrawRect(Vector2F start, Vector2F end);
    void DrawRect(Vector2 start, Vector2 end);
    void FillTriangle(Vector2F p1, Vector2F p2, Vector2F p3);
    void FillTriangle(Vector2 p1, Vector2 p2, Vector2 p3);
    Vector2 Project(Vector location);
    Vector2F ProjectF(Vector location);

    std::uintptr_t memory_address;
};
