#pragma once

// The page shown; the values are also the indices of the four menu items.
enum class Screen : int
{
    StartPage = 0,
    Demonstration = 1,
    Theory = 2,
    Authors = 3,
};
