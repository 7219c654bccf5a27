// What a flight's figures are, computed once from its samples: the touchdown, the distance along
// the launch heading, the attitude at each tick. The table, the CSV files, the pictures and the
// tuner all read them from here.
#pragma once
#include <vector>

namespace flightlab {

struct Launch;
struct Sample;

// The figures of one flight. Plain values, so that they travel to the workers' callers, the CSV
// files and the web page as they are.
struct Figures {
    bool landed = false;         // touched down before the time limit
    double airtimeS = 0;         // release to touchdown, or the time limit
    double distanceUu = 0;       // along the launch heading; negative behind the launch point
    double sideUu = 0;           // sideways offset, positive to the right of the launch heading
    double topHeightUu = 0;      // highest point of the car's centre
    double landingSpeedUu = 0;   // full speed at touchdown, vertical included (uu/s)
    double descentAngleDeg = 0;  // below the horizontal at touchdown; negative when still rising
    bool turnedBack = false;     // the motion along the heading reversed at some point
    int apexTick = 0;            // tick of the highest sample
    bool operator==(const Figures&) const = default;
};

// The car's orientation in degrees: pitch nose up, yaw from world +X towards +Y (the right),
// roll with the right side going down; and the angle of attack, the angle between the nose and
// the velocity in the car's vertical plane, positive when the nose is above the path.
struct Attitude {
    double pitchDeg = 0, yawDeg = 0, rollDeg = 0, angleOfAttackDeg = 0;
};

// Height of the car's centre when it rests on the floor, uu: touchdown is the moment the
// centre reaches it.
extern const double kRestHeightUu;

// True for a sample at which the car's centre has reached its resting height.
bool touchedDown(const Sample& s);

// Distance of S from RELEASE along the launch heading (degrees from world +X towards +Y), and
// sideways from it (positive to the right).
double alongHeading(const Sample& release, const Sample& s, double headingDeg);
double sideOfHeading(const Sample& release, const Sample& s, double headingDeg);

// The figures of a flight whose samples run from release to the first touched-down sample (or
// to the time limit). Touchdown is interpolated between the last airborne tick and the next:
// airtime, distance, side offset, landing speed and descent angle are taken at that moment.
Figures figuresOf(const std::vector<Sample>& samples, const Launch& launch);

Attitude attitudeOf(const Sample& s);

}  // namespace flightlab
