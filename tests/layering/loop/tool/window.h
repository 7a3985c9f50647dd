#pragma once
void Show();
