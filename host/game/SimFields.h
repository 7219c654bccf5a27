// The named values of a simulated car, wheel and ball that sim_state prints and sim_set writes.
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "GameObjects.h"

namespace host {

// How a field's words are read: a finite float, an integer, 0/1, or a wheel count.
enum class FieldKind { Float, Int, Flag, WheelCount };

template <typename Obj>
struct Field {
    std::string_view name;
    FieldKind kind;
    int arity;  // number of values, 1 .. 4
    void (*get)(const Obj&, double* out);
    void (*set)(Obj&, const double* in);
};

std::span<const Field<Car>> carFields();
std::span<const Field<Wheel>> wheelFields();
std::span<const Field<Ball>> ballFields();

// Lines "PREFIX.FIELD = V, V" for every field of the car (wheels as PREFIX.wheelK.FIELD) or ball.
void printCar(const Car& car, const std::string& prefix, std::vector<std::string>& lines);
void printBall(const Ball& ball, const std::string& prefix, std::vector<std::string>& lines);

// Sets the field named `name` ("mass", "wheel2.spin_speed", ...) from `words`. On a bad name,
// word count or value, fills `error` and changes nothing.
bool setCarField(Car& car, std::string_view name, std::span<const std::string> words,
                 std::string& error);
bool setBallField(Ball& ball, std::string_view name, std::span<const std::string> words,
                  std::string& error);

// A number word: the whole word, finite, and finite once rounded to float.
bool parseFloatWord(const std::string& word, double& out);
// A float field's word as sim_set reads it: the whole word, correctly rounded to float, finite.
bool parseFloatValue(const std::string& word, float& out);

}  // namespace host
