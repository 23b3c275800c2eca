// The effect's plain data: one EffectInstance per application of the effect,
// its SparkSettings block, and one SparkPoint per point of the object.
#pragma once

#include <cstdint>

struct SparkPoint {
    double pos[3];      // position for the current frame
    double velocity[3]; // launch velocity in the object's axes
    int32_t lifetime;   // frames; never 0 once drawn
    uint8_t dead;       // 1 = not in flight this frame
    double age;         // seconds since birth (kept while parked)
    double birthTime;   // seconds
};

struct SparkSettings {
    void *objectItem;
    int32_t pointCount;
    int32_t cursor;
    double time;
    int32_t frame;
    double v0Min;
    double v0Max;
    int32_t spreadMin;
    int32_t spreadMax;
    int32_t ageMin;
    int32_t ageMax;
    double gravity;
    double regist; // carried along; no computation reads it
    int32_t birthRate;
    int32_t recycle; // recycling only when exactly 1
    int32_t startFrame;
    SparkPoint *points;
    double avoidPos[3];
};

struct EffectInstance {
    char description[128];
    SparkSettings sparks;
    char referenceName[51];
    void *particleSystem;
    void *enableBuffer;
    void *ageBuffer;
    void *positionBuffer;
    // Holds this instance's own address for the panel toolkit, which may keep
    // the address of the variable for as long as the panel lives.
    void *panelSelf;
};
