// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/anim/TvxInterpolation.h"

#include <cmath>
#include <numbers>

namespace nimbrell {

namespace {

using Type = TvxAnimationType;
constexpr double pi = std::numbers::pi;

double Power(double base, int exponent)
{
    double result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= base;
    return result;
}

// Quadratic to quintic share one shape: c·uⁿ in, mirrored out, halves joined in-out.
double Polynomial(int n, Type type, double t, double b, double c, double d)
{
    double u = t / d;
    bool odd = n % 2 != 0;
    switch (type) {
    case Type::vgAnimationIn:
        return c * Power(u, n) + b;
    case Type::vgAnimationOut:
        if (n == 2)
            return -c * u * (u - 2) + b;
        return odd ? c * (Power(u - 1, n) + 1) + b : -c * (Power(u - 1, n) - 1) + b;
    case Type::vgAnimationInOut: {
        double h = t / (d / 2);
        if (h < 1)
            return c / 2 * Power(h, n) + b;
        if (n == 2) {
            h -= 1;
            return -c / 2 * (h * (h - 2) - 1) + b;
        }
        h -= 2;
        return odd ? c / 2 * (Power(h, n) + 2) + b : -c / 2 * (Power(h, n) - 2) + b;
    }
    }
    return b;
}

double Sinusoidal(Type type, double t, double b, double c, double d)
{
    double u = t / d;
    switch (type) {
    case Type::vgAnimationIn:
        return -c * std::cos(u * pi / 2) + c + b;
    case Type::vgAnimationOut:
        return c * std::sin(u * pi / 2) + b;
    case Type::vgAnimationInOut:
        return -c / 2 * (std::cos(pi * u) - 1) + b;
    }
    return b;
}

double Exponential(Type type, double t, double b, double c, double d)
{
    double u = t / d;
    switch (type) {
    case Type::vgAnimationIn:
        return t == 0 ? b : c * std::pow(2, 10 * (u - 1)) + b;
    case Type::vgAnimationOut:
        return t == d ? b + c : c * (1 - std::pow(2, -10 * u)) + b;
    case Type::vgAnimationInOut: {
        if (t == 0)
            return b;
        if (t == d)
            return b + c;
        double h = t / (d / 2);
        if (h < 1)
            return c / 2 * std::pow(2, 10 * (h - 1)) + b;
        return c / 2 * (2 - std::pow(2, -10 * (h - 1))) + b;
    }
    }
    return b;
}

double Circular(Type type, double t, double b, double c, double d)
{
    double u = t / d;
    switch (type) {
    case Type::vgAnimationIn:
        return -c * (std::sqrt(1 - u * u) - 1) + b;
    case Type::vgAnimationOut: {
        double v = u - 1;
        return c * std::sqrt(1 - v * v) + b;
    }
    case Type::vgAnimationInOut: {
        double h = t / (d / 2);
        if (h < 1)
            return -c / 2 * (std::sqrt(1 - h * h) - 1) + b;
        h -= 2;
        return c / 2 * (std::sqrt(1 - h * h) + 1) + b;
    }
    }
    return b;
}

// Amplitude and period are left at zero, so the period follows the duration and the
// amplitude is the change itself.
double Elastic(Type type, double t, double b, double c, double d)
{
    double u = t / d;
    double a = c;
    switch (type) {
    case Type::vgAnimationIn: {
        if (t == 0)
            return b;
        if (u == 1)
            return b + c;
        double p = d * 0.3;
        double s = p / 4;
        double v = u - 1;
        return -(a * std::pow(2, 10 * v) * std::sin((v * d - s) * 2 * pi / p)) + b;
    }
    case Type::vgAnimationOut: {
        if (t == 0)
            return b;
        if (u == 1)
            return b + c;
        double p = d * 0.3;
        double s = p / 4;
        return a * std::pow(2, -10 * u) * std::sin((u * d - s) * 2 * pi / p) + c + b;
    }
    case Type::vgAnimationInOut: {
        if (t == 0)
            return b;
        double h = t / (d / 2);
        if (h == 2)
            return b + c;
        double p = d * 0.45;
        double s = p / 4;
        double k = h - 1;
        if (h < 1)
            return -0.5 * a * std::pow(2, 10 * k) * std::sin((k * d - s) * 2 * pi / p) + b;
        return a * std::pow(2, -10 * k) * std::sin((k * d - s) * 2 * pi / p) * 0.5 + c + b;
    }
    }
    return b;
}

double Back(Type type, double t, double b, double c, double d)
{
    constexpr double s = 1.70158;
    double u = t / d;
    switch (type) {
    case Type::vgAnimationIn:
        return c * u * u * ((s + 1) * u - s) + b;
    case Type::vgAnimationOut: {
        double v = u - 1;
        return c * (v * v * ((s + 1) * v + s) + 1) + b;
    }
    case Type::vgAnimationInOut: {
        double s2 = s * 1.525;
        double h = t / (d / 2);
        if (h < 1)
            return c / 2 * (h * h * ((s2 + 1) * h - s2)) + b;
        h -= 2;
        return c / 2 * (h * h * ((s2 + 1) * h + s2) + 2) + b;
    }
    }
    return b;
}

double BounceOut(double t, double c, double d)
{
    double e = t / d;
    if (e < 1 / 2.75)
        return c * (7.5625 * e * e);
    if (e < 2 / 2.75) {
        e -= 1.5 / 2.75;
        return c * (7.5625 * e * e + 0.75);
    }
    if (e < 2.5 / 2.75) {
        e -= 2.25 / 2.75;
        return c * (7.5625 * e * e + 0.9375);
    }
    e -= 2.625 / 2.75;
    return c * (7.5625 * e * e + 0.984375);
}

double BounceIn(double t, double c, double d)
{
    return c - BounceOut(d - t, c, d);
}

double Bounce(Type type, double t, double b, double c, double d)
{
    switch (type) {
    case Type::vgAnimationIn:
        return BounceIn(t, c, d) + b;
    case Type::vgAnimationOut:
        return BounceOut(t, c, d) + b;
    case Type::vgAnimationInOut:
        if (t < d / 2)
            return BounceIn(t * 2, c, d) * 0.5 + b;
        return BounceOut(t * 2 - d, c, d) * 0.5 + c * 0.5 + b;
    }
    return b;
}

}

double InterpolateValue(TvxInterpolationType interpolation, TvxAnimationType type, double t, double b, double c, double d)
{
    using I = TvxInterpolationType;
    switch (interpolation) {
    case I::vgInterpolationLinear:
        return c * t / d + b;
    case I::vgInterpolationQuadratic:
        return Polynomial(2, type, t, b, c, d);
    case I::vgInterpolationCubic:
        return Polynomial(3, type, t, b, c, d);
    case I::vgInterpolationQuartic:
        return Polynomial(4, type, t, b, c, d);
    case I::vgInterpolationQuintic:
        return Polynomial(5, type, t, b, c, d);
    case I::vgInterpolationSinusoidal:
        return Sinusoidal(type, t, b, c, d);
    case I::vgInterpolationExponential:
        return Exponential(type, t, b, c, d);
    case I::vgInterpolationCircular:
        return Circular(type, t, b, c, d);
    case I::vgInterpolationElastic:
        return Elastic(type, t, b, c, d);
    case I::vgInterpolationBack:
        return Back(type, t, b, c, d);
    case I::vgInterpolationBounce:
        return Bounce(type, t, b, c, d);
    }
    return c * t / d + b;
}

}
