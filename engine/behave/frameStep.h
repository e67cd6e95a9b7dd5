#pragma once

#include <cstdint>

#include "core/baseModel.h"
#include "core/engine.h"
#include "core/texture.h"

// The one engine and the thirteen assets, created and owned by WinMain.
extern Engine* engine;
extern BaseModel* tankModel;
extern Texture* tankTexture;
extern BaseModel* foodModel;
extern Texture* foodTexture;
extern BaseModel* fish1Model;
extern Texture* fish1Texture;
extern BaseModel* fish2Model;
extern Texture* fish2Texture;
extern BaseModel* fish3Model;
extern Texture* fish3Texture;
extern Texture* pinkTexture;
extern Texture* greenTexture;
extern Texture* rotTexture;

// Clock value taken just before the message loop, in milliseconds.
extern uint32_t startTime;
// The current frame's simulation time.
extern float simTime;

// One frame: advances the simulation and draws the tank, the fish and the food.
void FrameStep();

// Back-end hooks of the frame, in the platform's own file: the millisecond
// clock, and the additive blend function that the renderer interface lacks.
uint32_t FrameClock();
void SetAdditiveBlend();
